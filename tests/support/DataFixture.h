#pragma once
// A small, valid industry data source written into a temporary folder, which
// each validator test breaks in one place. Two industries (Volume 1 also has a
// bank), nineteen data sets, three years each.

#include "store/DataSets.h"
#include "store/Csv.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace datatest {

namespace fs = std::filesystem;

inline void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) q += (c == '"') ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// A CSV file to change cell by cell: header plus records.
struct CsvDoc {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;

    static CsvDoc load(const fs::path& path) {
        zorvadata::CsvFile f;
        zorvadata::Diagnostics d;
        zorvadata::readCsv(path.string(), f, d);
        CsvDoc doc;
        doc.header = f.header;
        for (auto& r : f.records) doc.rows.push_back(r.fields);
        return doc;
    }
    void save(const fs::path& path) const {
        std::string s;
        auto line = [&](const std::vector<std::string>& v) {
            for (std::size_t i = 0; i < v.size(); ++i) s += (i ? "," : "") + csvField(v[i]);
            s += "\n";
        };
        line(header);
        for (const auto& r : rows) line(r);
        writeText(path, s);
    }
    int col(const std::string& name) const {
        for (std::size_t i = 0; i < header.size(); ++i)
            if (header[i] == name) return static_cast<int>(i);
        return -1;
    }
    // Row index of the record whose first field is key.
    int row(const std::string& key) const {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i][0] == key) return static_cast<int>(i);
        return -1;
    }
    std::string& cell(const std::string& key, const std::string& column) { return rows[row(key)][col(column)]; }
};

// Changes one cell of one file of the fixture.
inline void setCell(const fs::path& file, const std::string& key, const std::string& column, const std::string& value) {
    CsvDoc d = CsvDoc::load(file);
    d.cell(key, column) = value;
    d.save(file);
}

inline const std::vector<std::pair<std::string, std::string>>& validRatioRow() {
    static const std::vector<std::pair<std::string, std::string>> row = {
        {"NumberOfFirms", "120"},
        {"NPMQ1", "-0.5"}, {"NPMQ2", "3"}, {"NPMQ3", "6"},  // Q1 < 0: at least 25 % with a net loss (NPL 28)
        {"PPMQ1", "1.2"}, {"PPMQ2", "3.6"}, {"PPMQ3", "7"},
        {"OPMQ1", "2"}, {"OPMQ2", "4.5"}, {"OPMQ3", "8"},
        {"GPMQ1", "20"}, {"GPMQ2", "30"}, {"GPMQ3", "40"},
        {"ORTTNOAQ1", "200"}, {"ORTTNOAQ2", "400"}, {"ORTTNOAQ3", "700"},
        {"RNOAQ1", "5"}, {"RNOAQ2", "15"}, {"RNOAQ3", "30"},
        {"PPAQ1", "2"}, {"PPAQ2", "8"}, {"PPAQ3", "15"},
        {"RCEQ1", "3"}, {"RCEQ2", "10"}, {"RCEQ3", "20"},
        {"REQ1", "5"}, {"REQ2", "15"}, {"REQ3", "30"},
        {"DEQ1", "3"}, {"DEQ2", "1"}, {"DEQ3", "0.3"},
        {"RTQ1", "10"}, {"RTQ2", "20"}, {"RTQ3", "40"},
        {"ITQ1", "0"}, {"ITQ2", "8"}, {"ITQ3", "0"},  // Q1 and Q3 not published
        {"WCQ1", "1"}, {"WCQ2", "1.5"}, {"WCQ3", "2.5"},
        {"LTAQ1", "0.9"}, {"LTAQ2", "0.7"}, {"LTAQ3", "0.5"},
        {"ICQ1", "1.5"}, {"ICQ2", "4"}, {"ICQ3", "12"},
        {"A11", "10"}, {"A12", "20"}, {"A13", "30"}, {"A18", "25"}, {"A19", "5"}, {"TOTOA", "90"},
        {"A14", "6"}, {"A151617", "4"}, {"TOTASS", "100"},
        {"A22", "20"}, {"A25200", "0"}, {"A25500", "10"}, {"A25400", "0"}, {"A25180", "15"},
        {"A24", "10"}, {"A2329", "5"}, {"A27", "2"}, {"TOTLIAB", "62"},
        {"A31", "3"}, {"A38", "30"}, {"A283334", "5"}, {"TOTSE", "38"}, {"TOTLSE", "100"},
        {"CURASS", "62"}, {"CURLiab", "35"},
        {"OPP", "80"}, {"OPL", "20"}, {"PPP", "75"}, {"PPL", "25"}, {"NPP", "72"}, {"NPL", "28"},
    };
    return row;
}

inline std::string ratioFile(int volume, const std::string& region, int year) {
    return zorvadata::ratioTableName(volume, region, year) + ".csv";
}

// Writes the valid source into dir.
inline void writeFixture(const fs::path& dir) {
    writeText(dir / "tblTreeview.csv",
              "NodeKey,Parent,sequence,IndDescE,IndDescF\n"
              "IndTOTALL,,10,All industries,Toutes les industries\n"
              "Ind31-33,IndTOTALL,20,Manufacturing,Fabrication\n"
              "Ind44-45,IndTOTALL,30,Retail trade,Commerce de détail\n"
              "IndTFINANC,IndTOTALL,40,Finance and insurance,Finance et assurances\n"
              "IndMANAGE,,50,Management of companies and enterprises,Gestion de sociétés et d'entreprises\n");
    const std::string header = "NAICS,Description,Description_french,Parent,NodeKey,sequence,definitione,definitionf\n";
    const std::string common =
        "311,Food manufacturing,Fabrication d'aliments,Ind31-33,Ind311,10,Food plants.,Usines d'aliments.\n"
        "4451,Grocery stores,Épiceries,Ind44-45,Ind4451,20,\"Supermarkets, grocery stores.\",\"Supermarchés, épiceries.\"\n";
    writeText(dir / "ZORVA_NAICS_Description_Ind_Detailed.csv",
              header + common +
                  "5221,Depository credit intermediation,Intermédiation financière par le biais de dépôts,IndTFINANC,Ind5221,30,Banks.,Banques.\n");
    writeText(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", header + common);

    std::string dd = "optname,descriptione,descriptionf\n";
    for (const auto& d : zorvadata::dataSets())
        dd += std::string(d.option) + ",Illustrative data set,Données illustratives\n";
    writeText(dir / "datadescription.csv", dd);

    std::string ratioHeader = "NAICS";
    for (const auto& [c, v] : validRatioRow()) ratioHeader += "," + c;
    auto ratioLine = [](const std::string& code) {
        std::string s = code;
        for (const auto& [c, v] : validRatioRow()) s += "," + v;
        return s + "\n";
    };
    for (const auto& d : zorvadata::dataSets())
        for (int year : zorvadata::referenceYears()) {
            std::string body = ratioHeader + "\n" + ratioLine("311") + ratioLine("4451");
            if (d.volume == 1) body += ratioLine("5221");
            writeText(dir / ratioFile(d.volume, d.region, year), body);
        }
}

// A valid user source (the reference tables of the user store).
inline void writeUserFixture(const fs::path& dir) {
    writeText(dir / "Rpt_Ratios_Titles_Source.csv",
              "Language,Naics,Title_LowerRight,Year_0,Year_1,Year_2,Year_3,Title_UpperLeft,Title_LowerLeft,ML_Title,MM_Title,Title_Report,Title_Note\n"
              "E,,Years:,,,,,,,,,Ratios,Illustrative\nF,,Années :,,,,,,,,,Ratios,Illustratives\n");
    writeText(dir / "Rpt_BalanceSheet_Titles_Source.csv",
              "Language,Naics,Title_LowerRight,Year_0,Year_1,Year_2,Title_UpperLeft,Title_LowerLeft,Title_Report,Title_Note\n"
              "E,,Years:,,,,,,Balance sheet,Illustrative\nF,,Années :,,,,,,Bilan,Illustratives\n");
    writeText(dir / "Rpt_Comparison_Titles_Source.csv",
              "Language,NAICS,Title_Report,Title_Note\nE,,Comparison,Illustrative\nF,,Comparaison,Illustratives\n");
    std::string vd = "Volume,Language,Title1,Title2,LargeMedianDesc,MediumMedianDesc\n";
    for (int v = 1; v <= 3; ++v) {
        vd += std::to_string(v) + ",E,Volume " + std::to_string(v) + ",Benchmarks,Median,Previous\n";
        vd += std::to_string(v) + ",F,Volume " + std::to_string(v) + ",Repères,Médiane,Précédentes\n";
    }
    writeText(dir / "Volume_Descriptions.csv", vd);
    std::string pc = "Code,English,French\n";
    for (const auto& c : zorvadata::regionCodes()) pc += c + ",Region " + c + ",Région " + c + "\n";
    writeText(dir / "ProvinceCodes.csv", pc);
}

} // namespace datatest
