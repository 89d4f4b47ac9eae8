// Every report saved as one HTML file by the command-line tool (the viewer's
// Save as HTML writes the same file), in both languages, checked as an
// automated accessibility checker checks a page (tests/support/
// check_report_html.py): doctype, main landmark, language declared, headings
// in order, every picture with its text alternative and embedded, tables with
// header cells and scope, and the contrast of the template's colours. And
// every report saved as PDF, read back with pikepdf (tests/support/
// check_report_pdf.py): tagged, with its language, title, bookmarks, tables
// of rows of TH and TD cells, header cells with their scope, and every chart
// a figure with its sentence as text alternative.

#include "support/AppFixture.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace zorva::test {
namespace {

class HtmlFiles : public ShippedStoresFixture {
protected:
    // zorva-cli on this test's copy of the application folder.
    std::string cli(const QStringList& args) {
        QProcess p;
        p.start(QString::fromStdString(BuiltAppDir() + "/zorva-cli"),
                QStringList{"--app-dir", QString::fromStdString(appDir)} + args);
        if (!p.waitForFinished(120000) || p.exitCode() != 0)
            ADD_FAILURE() << args.join(' ').toStdString() << ": " << p.readAllStandardOutput().toStdString()
                          << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput().toStdString();
    }
};

TEST_F(HtmlFiles, EveryReportSavedAsHtmlPassesTheAccessibilityChecks) {
    const QString statements = QString::fromStdString(std::string(ZORVA_SOURCE_DIR) + "/docs/examples/harbourview-fine-foods.csv");
    cli({"import", "--values", statements});  // the trend's saved years
    const char* types[] = {"rat", "bal", "com", "trend"};
    for (const char* type : types) {
        for (const char* lang : {"en", "fr"}) {
            SCOPED_TRACE(std::string(type) + " " + lang);
            const std::string file = appDir + "/" + type + "-" + lang + ".html";
            QStringList args = {"report", "--type", type, "--dataset", "optNovaScotia", "--naics", "1111",
                                "--lang", lang, "--out", QString::fromStdString(file)};
            if (std::string(type) == "com" || std::string(type) == "trend") args << "--values" << statements;
            cli(args);
            QProcess check;
            check.start("/usr/bin/python3", {QString::fromStdString(std::string(ZORVA_SOURCE_DIR) +
                                                                      "/tests/support/check_report_html.py"),
                                             QString::fromStdString(file), lang});
            ASSERT_TRUE(check.waitForFinished(60000));
            EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                           << check.readAllStandardError().toStdString();
        }
    }
}

TEST_F(HtmlFiles, EveryReportSavedAsPdfIsTagged) {
    const QString statements = QString::fromStdString(std::string(ZORVA_SOURCE_DIR) + "/docs/examples/harbourview-fine-foods.csv");
    cli({"import", "--values", statements});  // the trend's saved years
    const char* types[] = {"rat", "bal", "com", "trend"};
    for (const char* type : types) {
        for (const char* lang : {"en", "fr"}) {
            SCOPED_TRACE(std::string(type) + " " + lang);
            const std::string file = appDir + "/" + type + "-" + lang + ".pdf";
            QStringList args = {"report", "--type", type, "--dataset", "optNovaScotia", "--naics", "1111",
                                "--lang", lang, "--out", QString::fromStdString(file)};
            const bool charts = std::string(type) == "com" || std::string(type) == "trend";
            if (charts) args << "--values" << statements;
            cli(args);
            QProcess check;
            check.start("/usr/bin/python3", {QString::fromStdString(std::string(ZORVA_SOURCE_DIR) +
                                                                      "/tests/support/check_report_pdf.py"),
                                             QString::fromStdString(file), lang, charts ? "14" : "0"});
            ASSERT_TRUE(check.waitForFinished(60000));
            EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                           << check.readAllStandardError().toStdString();
        }
    }
}

} // namespace
} // namespace zorva::test
