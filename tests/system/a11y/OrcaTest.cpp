// The real screen reader, Orca, walking the reading view of the ratios and
// comparison reports in both languages, and the search screen: it runs under
// a virtual display and a D-Bus session of its own with speech and braille
// off, and system/a11y/orca_reads.py reads what it would have said from its
// debug output. Its next heading, its next table, a cell read with its row
// and column headers, a chart read as its sentence, and the industry chosen
// on the search screen said with its code and title.

#include "support/AppFixture.h"
#include "support/SampleReports.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "reports/prep/RatioTable.h"
#include "reports/render/ReportExport.h"
#include "selection/IndustrySearch.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <map>

namespace zorva::test {
namespace {

class OrcaReads : public ShippedStoresFixture {};

// Window -> key -> the phrases Orca said after it.
using Heard = std::map<std::string, std::map<std::string, std::vector<std::string>>>;

Heard RunOrca(const QStringList& windows, std::string* error) {
    QStringList args = {"-a", "-s", "-screen 0 1280x900x24", "dbus-run-session", "--", "/usr/bin/python3",
                        ZORVA_ORCA_READER, ZORVA_REPORT_WINDOW, QString::fromStdString(MakeTempDir("zorva-orca"))};
    args << windows;
    QProcess reader;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(MakeTempDir("zorva-orca-config")));
    env.insert("XDG_DATA_HOME", QString::fromStdString(MakeTempDir("zorva-orca-data")));
    env.insert("LANG", "C.UTF-8");
    reader.setProcessEnvironment(env);
    reader.start("xvfb-run", args);
    Heard heard;
    if (!reader.waitForFinished(600000) || reader.exitCode() != 0) {
        *error = "the reader failed: " + reader.readAllStandardError().toStdString();
        return heard;
    }
    for (const QByteArray& line : reader.readAllStandardOutput().split('\n')) {
        if (!line.startsWith('{')) continue;  // the accessibility bus's own messages
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        auto& window = heard[o["window"].toString().toStdString()];
        if (o.contains("error")) window["error"].push_back(o["error"].toString().toStdString());
        const QJsonObject speech = o["speech"].toObject();
        for (auto it = speech.begin(); it != speech.end(); ++it)
            for (const auto& said : it.value().toArray()) window[it.key().toStdString()].push_back(said.toString().toStdString());
    }
    return heard;
}

// A text as Orca's debug output writes it: no-break spaces as spaces.
std::string AsSaid(std::string s) {
    for (const char* blank : {"\u202F", "\u00A0"})
        for (size_t p; (p = s.find(blank)) != std::string::npos;) s.replace(p, std::strlen(blank), " ");
    return s;
}

bool Contains(const std::vector<std::string>& phrases, const std::string& text) {
    for (const auto& p : phrases)
        if (AsSaid(p).find(AsSaid(text)) != std::string::npos) return true;
    return false;
}

std::string Joined(const std::vector<std::string>& phrases) {
    std::string s;
    for (const auto& p : phrases) s += (s.empty() ? "" : " | ") + p;
    return s;
}

TEST_F(OrcaReads, HeadingsTablesCellsChartsAndTheIndustryChosen) {
    if (QStandardPaths::findExecutable("orca").isEmpty()) GTEST_SKIP() << "Orca is not installed";
    std::string error;
    const Heard heard = RunOrca({"rat:E", "rat:F", "com:E", "com:F", "search:E:1", "search:F:1"}, &error);
    ASSERT_TRUE(error.empty()) << error;

    for (const std::string type : {"rat", "com"}) {
        for (const std::string lang : {"E", "F"}) {
            SCOPED_TRACE(type + lang);
            gintLanguage = lang == "F" ? 1 : 0;
            auto it = heard.find(type + ":" + lang);
            ASSERT_NE(it, heard.end());
            const auto& said = it->second;
            ASSERT_EQ(said.count("error"), 0u) << Joined(said.at("error"));
            const auto prepared = PrepareSampleReport(type, lang);
            ASSERT_TRUE(prepared.has_value());
            const report::Rendered& r = prepared->rendered;

            auto step = [&said](const char* name) {
                auto found = said.find(name);
                return found == said.end() ? std::vector<std::string>{} : found->second;
            };

            // T: the first table, said as a table.
            EXPECT_TRUE(Contains(step("table"), "table with")) << Joined(step("table"));

            // Right: the next cell, said with its column's header.
            EXPECT_TRUE(Contains(step("right1"), "column header") || Contains(step("right2"), "column header"))
                << Joined(step("right1")) << " / " << Joined(step("right2"));

            // Orca's "where am I" on a cell: its column header, its row header
            // (the ratio's name), the cell.
            const std::vector<std::string> where = step("where am I");
            bool rowHeader = false;
            for (const auto& ratio : report::Ratios()) {
                std::string name = Txt(ratio.nameId, gintLanguage);
                while (!name.empty() && name.back() == ' ') name.pop_back();
                rowHeader |= Contains(where, name + ".");
            }
            const std::string columnHeader =
                type == "rat" ? std::string("Q1") : report::CellText(r.model->Caption("BEST_TITLE"), r);
            EXPECT_TRUE(rowHeader && Contains(where, columnHeader) && Contains(where, "table cell"))
                << Joined(where);
            std::cout << "[orca] " << type << lang << " cell: " << Joined(where) << std::endl;

            // H: the next heading, said as a heading.
            const auto heading = step("heading");
            bool knownHeading = false;
            for (const auto& block : r.model->blocks)
                if (block.kind == report::Block::Kind::Heading && !block.cells.empty())
                    knownHeading |= Contains(heading, report::CellText(block.cells[0], r));
            EXPECT_TRUE(knownHeading && Contains(heading, " heading")) << Joined(heading);

            if (type == "com") {
                // G: the next chart, said with its sentence.
                bool sentence = false;
                for (const auto& image : r.images)
                    if (!image.alt.empty()) sentence |= Contains(step("chart"), image.alt);
                EXPECT_TRUE(Contains(step("chart"), "image")) << Joined(step("chart"));
                EXPECT_TRUE(sentence) << Joined(step("chart"));
                std::cout << "[orca] " << type << lang << " chart: " << Joined(step("chart")) << std::endl;
            }
        }
    }

    // The search screen: "1" typed in the list of codes chooses the first code
    // that begins with it, 111; the industry is said with its code and title.
    for (const std::string lang : {"E", "F"}) {
        SCOPED_TRACE("search " + lang);
        auto it = heard.find("search:" + lang + ":1");
        ASSERT_NE(it, heard.end());
        ASSERT_EQ(it->second.count("error"), 0u) << Joined(it->second.at("error"));
        const int language = lang == "F" ? 1 : 0;
        const std::string caption = IndustryCaption(gcnIndustry, "111", language);
        const std::string title = caption.substr(caption.find(" – ") + std::strlen(" – "));
        const auto found = it->second.find("code");
        ASSERT_NE(found, it->second.end());
        const auto& said = found->second;
        EXPECT_TRUE(Contains(said, "notification " + Txt(522, language) + " 111 " + title)) << Joined(said);
        std::cout << "[orca] search " << lang << ": " << Joined(said) << std::endl;
    }
}

} // namespace
} // namespace zorva::test
