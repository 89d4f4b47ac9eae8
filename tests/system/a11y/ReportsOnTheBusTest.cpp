// Every report, in both languages, read from the accessibility bus (AT-SPI)
// as a screen reader reads it: the program's viewer runs in its own process
// under a virtual display and a D-Bus session of its own (xvfb-run,
// dbus-run-session), and read_reports.py reads its window with pyatspi. The
// reading view must give the report's title, the enterprise's name
// (comparison, trend), every ratio or balance-sheet line with its values in
// the order of the report, and the sentence of each chart.

#include "support/AppFixture.h"
#include "support/SampleReports.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "reports/render/ReportExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace zorva::test {
namespace {

class ReportsOnTheBus : public ShippedStoresFixture {};

// A text as heard: the no-break spaces (a French number's groups) as spaces.
std::string Heard(std::string s) {
    for (const char* blank : {"\u202F", "\u00A0"})
        for (size_t p; (p = s.find(blank)) != std::string::npos;) s.replace(p, std::strlen(blank), " ");
    return s;
}

// The text a screen reader gets from the reading view of one report.
struct Reading {
    std::vector<std::string> windows;
    std::string text;
    std::vector<std::string> headings, images;
    struct Table {
        std::vector<std::string> columns, rows;
    };
    std::vector<Table> tables;
    bool closed = false;
    std::string error;
};

std::map<std::string, Reading> ReadFromTheBus(const std::vector<std::string>& reports) {
    std::map<std::string, Reading> heard;
    QStringList args = {"-a", "-s", "-screen 0 1280x900x24", "dbus-run-session", "--", "/usr/bin/python3",
                        ZORVA_A11Y_READER, ZORVA_REPORT_WINDOW, QString::fromStdString(MakeTempDir("zorva-a11y"))};
    for (const auto& r : reports) args << QString::fromStdString(r);
    QProcess reader;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(MakeTempDir("zorva-a11y-config")));  // no kept choice of view
    reader.setProcessEnvironment(env);
    reader.start("xvfb-run", args);
    if (!reader.waitForFinished(300000) || reader.exitCode() != 0) {
        ADD_FAILURE() << "the reader failed: " << reader.readAllStandardError().toStdString();
        return heard;
    }
    for (const QByteArray& line : reader.readAllStandardOutput().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        Reading h;
        h.error = o["error"].toString().toStdString();
        h.closed = o["closed"].toBool();
        for (const auto& w : o["windows"].toArray()) h.windows.push_back(w.toString().toStdString());
        for (const auto& v : o["objects"].toArray()) {
            const QJsonObject obj = v.toObject();
            // The reading view: the text object that carries the report.
            if (obj["name"].toString().toStdString() == Txt(2548, 0) || obj["name"].toString().toStdString() == Txt(2548, 1))
                h.text = Heard(obj["text"].toString().toStdString());
            const std::string role = obj["role"].toString().toStdString();
            if (role == "heading") h.headings.push_back(obj["name"].toString().toStdString());
            if (role == "image") h.images.push_back(obj["name"].toString().toStdString());
            if (role == "table" && obj.contains("columns")) {
                Reading::Table t;
                for (const auto& c : obj["columns"].toArray()) t.columns.push_back(c.toString().toStdString());
                for (const auto& r : obj["rows"].toArray()) t.rows.push_back(r.toString().toStdString());
                h.tables.push_back(t);
            }
        }
        heard[o["report"].toString().toStdString()] = h;
    }
    return heard;
}

TEST_F(ReportsOnTheBus, AScreenReaderReadsEveryReportInBothLanguages) {
    const std::vector<std::string> types = {"rat", "bal", "com", "tre"};
    std::vector<std::string> reports;
    for (const auto& t : types)
        for (const char* l : {"E", "F"}) reports.push_back(t + ":" + l);
    const auto heard = ReadFromTheBus(reports);

    for (const auto& type : types) {
        for (const std::string lang : {"E", "F"}) {
            SCOPED_TRACE(type + lang);
            auto it = heard.find(type + lang);
            ASSERT_NE(it, heard.end());
            const Reading& h = it->second;
            ASSERT_TRUE(h.error.empty()) << h.error;
            EXPECT_TRUE(h.closed) << "the Return button was not found on the bus";
            // The same report, prepared here from the same statements.
            gintLanguage = lang == "F" ? 1 : 0;
            const auto prepared = PrepareSampleReport(type, lang);
            ASSERT_TRUE(prepared.has_value());
            const report::Rendered& r = prepared->rendered;
            EXPECT_NE(std::find(h.windows.begin(), h.windows.end(), prepared->caption), h.windows.end())
                << "the window's title";
            ASSERT_FALSE(h.text.empty()) << "no text of the report on the bus";
            const std::string title = Heard(report::CellText(r.model->blocks.front().cells.at(0), r));
            EXPECT_NE(h.text.find(title), std::string::npos) << title;
            if (type == "com" || type == "tre") EXPECT_NE(h.text.find(kSampleEnterprise), std::string::npos);

            // Every row of a ratio or a balance-sheet line: its name, then its
            // values (a chart as its sentence) in the order of the report.
            std::set<std::string> names;
            auto trimmed = [](std::string s) {
                while (!s.empty() && s.back() == ' ') s.pop_back();
                return s;
            };
            for (const auto& ratio : report::Ratios()) names.insert(trimmed(Txt(ratio.nameId, gintLanguage)));
            for (const auto& line : report::BalanceLines()) names.insert(trimmed(Txt(line.nameId, gintLanguage)));
            int rows = 0, sentences = 0;
            size_t at = 0;  // the rows are read in the order of the report
            for (const auto& block : r.model->blocks) {
                for (const auto& row : block.rows) {
                    if (row.empty() || !names.count(report::CellText(row[0], r))) continue;
                    at = h.text.find(Heard(report::CellText(row[0], r)), at);
                    ASSERT_NE(at, std::string::npos) << report::CellText(row[0], r);
                    ++rows;
                    for (size_t c = 1; c < row.size(); ++c) {
                        const std::string said = Heard(report::CellText(row[c], r));
                        if (said.empty()) continue;
                        const size_t next = h.text.find(said, at);
                        EXPECT_NE(next, std::string::npos) << report::CellText(row[0], r) << ": " << said;
                        if (next != std::string::npos) at = next + said.size();
                        sentences += row[c].image >= 0;
                    }
                }
            }
            EXPECT_GE(rows, type == "bal" ? 25 : 15);
            if (type == "com" || type == "tre") EXPECT_GE(sentences, 14) << "the charts' sentences";

            // The structure: the title as the first heading; the table of the
            // ratios (or lines) with a header for every column and each row
            // headed by its name; every chart a picture named by its sentence.
            ASSERT_FALSE(h.headings.empty());
            EXPECT_EQ(Heard(h.headings.front()), title);
            const std::string first = trimmed(type == "bal" ? Txt(report::BalanceLines().front().nameId, gintLanguage)
                                                            : Txt(report::Ratios().front().nameId, gintLanguage));
            const Reading::Table* named = nullptr;
            for (const auto& t : h.tables)
                if (std::find(t.rows.begin(), t.rows.end(), first) != t.rows.end()) named = &t;
            ASSERT_NE(named, nullptr) << "no table whose rows are headed by " << first;
            for (size_t c = 0; c < named->columns.size(); ++c) EXPECT_FALSE(named->columns[c].empty()) << "column " << c;
            size_t named_images = 0;
            for (const auto& image : r.images)
                named_images += !image.alt.empty() &&
                                std::find(h.images.begin(), h.images.end(), image.alt) != h.images.end();
            if (type == "com" || type == "tre") EXPECT_GE(named_images, 14u) << "charts named by their sentences";
        }
    }
}

} // namespace
} // namespace zorva::test
