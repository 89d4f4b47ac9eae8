#include "support/OtherPrograms.h"

#include "support/AppFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace zorva::test {

std::string TestBook(const std::string& name) { return std::string(ZORVA_SOURCE_DIR) + "/tests/support/books/" + name; }

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int RunCommand(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    return status == -1 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string HledgerBalance(const std::string& dir, const std::string& journal, const std::string& args) {
    const std::string journalPath = dir + "/books.journal";
    std::ofstream(journalPath, std::ios::binary) << journal;
    const std::string out = dir + "/balance-" + std::to_string(std::hash<std::string>()(args)) + ".csv";
    const std::string cmd = "hledger -f " + ShellQuote(journalPath) + " balance " + args + " -O csv > " + ShellQuote(out);
    if (RunCommand(cmd) != 0) throw std::runtime_error("hledger failed: " + cmd);
    return out;
}

std::vector<std::string> LibreOfficeConvert(const std::vector<std::string>& files, const std::string& format,
                                            const std::string& extension, const std::string& dir) {
    // One profile for the test program: LibreOffice makes it on first use.
    static const std::string profile = MakeTempDir("zorva-lo-profile");
    std::string cmd = "soffice --headless --norestore -env:UserInstallation=file://" + profile + " --convert-to " +
                      ShellQuote(format) + " --outdir " + ShellQuote(dir);
    for (const auto& f : files) cmd += " " + ShellQuote(f);
    cmd += " >/dev/null 2>&1";
    if (RunCommand(cmd) != 0) throw std::runtime_error("LibreOffice failed: " + cmd);
    std::vector<std::string> out;
    for (const auto& f : files) {
        const std::string converted = (fs::path(dir) / fs::path(f).stem()).string() + "." + extension;
        if (!fs::exists(converted)) throw std::runtime_error("LibreOffice wrote no " + converted);
        out.push_back(converted);
    }
    return out;
}

std::vector<std::string> PrintedPages(const std::string& workbook, const std::string& dir) {
    const std::string pdf = LibreOfficeConvert({workbook}, "pdf", "pdf", dir)[0];
    std::vector<std::string> pages;
    for (int page = 1;; ++page) {
        const std::string text = (fs::path(dir) / ("page-" + std::to_string(page) + ".txt")).string();
        const std::string n = std::to_string(page);
        if (RunCommand("pdftotext -layout -f " + n + " -l " + n + " " + ShellQuote(pdf) + " " + ShellQuote(text) +
                       " 2>/dev/null") != 0)
            break;  // past the last page
        std::ifstream in(text, std::ios::binary);
        pages.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return pages;
}

std::string FlatSpreadsheet(const std::string& tables) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:number-style style:name="N1" number:language="fr" number:country="CA"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
  <style:style style:name="money" style:family="table-cell" style:data-style-name="N1"/>
  <style:style style:name="hidden" style:family="table"><style:table-properties table:display="false"/></style:style>
 </office:automatic-styles>
 <office:body><office:spreadsheet>
)" + tables + R"(
 </office:spreadsheet></office:body>
</office:document>
)";
}

} // namespace zorva::test
