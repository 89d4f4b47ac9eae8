// zorva-cli report: a report rendered to a PDF, HTML, CSV or XLSX file.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "CliMessages.h"
#include "Enterprises.h"
#include "Json.h"

#include "core/Globals.h"
#include "enterprise/ValuesFlow.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportExport.h"
#include "reports/render/ReportViewerLogic.h"
#include "selection/IndustrySearch.h"

#include <QGuiApplication>

#include <memory>
#include <ostream>
#include <strings.h>

namespace zorva::cli {

int cmdReport(const Options& o, std::ostream& out) {
    requireOptions(o, {"type", "dataset", "naics", "out"});
    int lang = languageOf(o);
    std::string type = o.get("type");
    if (type == "trend") type = "tre";
    if (type != "rat" && type != "bal" && type != "com" && type != "tre")
        throw UsageError("--type must be rat, bal, com or trend, not " + type);
    std::int16_t year = yearOption(o);
    const DatasetChoice& c = datasetOf(o);
    const std::string naics = o.get("naics");
    std::vector<std::string> values;
    if (type == "tre" && o.has("name")) {
        chooseDataset(c);
        auto industry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, naics, lang);
        if (!industry) throw UsageError("the NAICS code " + naics + " is not an industry of the data set " + c.option);
        RecordTexts record;
        InitializeValues(record, lang);
        record[Field::FirmName] = o.get("name");
        values = BuildComparisonValues(record, naics, industry->title);
    } else if (type == "com" || type == "tre") {
        requireOptions(o, {"values"});
        std::vector<EnterpriseInput> inputs;
        try {
            refuseStoreFile(o.get("values"));
            inputs = ReadEnterprisesFile(o.get("values"), naics, lang);
        } catch (const std::runtime_error& e) {
            throw UsageError(o.get("values") + ": " + e.what());
        }
        if (inputs.empty()) throw UsageError(o.get("values") + ": no enterprise");
        chooseDataset(c);
        auto industry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, naics, lang);
        if (!industry) throw UsageError("the NAICS code " + naics + " is not an industry of the data set " + c.option);
        RecordTexts record = inputs[0].record;
        if (!inputs[0].ok) {
            out << errorObject(record, inputs[0].message) << "\n";
            return kExitFailed;
        }
        const values::ComparisonRequest request = values::RequestComparison(record, naics, industry->title, lang);
        if (!request.ok() && type == "com") {
            out << errorObject(record, request.message) << "\n";
            return kExitFailed;
        }
        // The trend reads the saved years of the name: a statement that
        // would be refused for a comparison still names them.
        values = request.ok() ? request.values : BuildComparisonValues(record, naics, industry->title);
        year = ReferenceYear(record[Field::Year]).value_or(year);
    } else {
        subSetDataTable(c.option);
    }

    // Laying out the document and drawing the charts need a GUI application,
    // which runs without a display.
    std::unique_ptr<QGuiApplication> gui;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zorva-cli";
        static char* argv[] = {name, nullptr};
        gui = std::make_unique<QGuiApplication>(argc, argv);
    }
    MessageCapture messages;
    std::string error;
    auto prepared = report::PrepareReport(gcnIndustry, gcnUser, type, c.volume, c.region, year, naics,
                                          lang ? "F" : "E", values);
    JsonObject result;
    bool written = false;
    if (!prepared) {
        error = messages.last();
    } else {
        const std::string& path = o.get("out");
        refuseStoreFile(path);
        std::string ext = path.size() >= 5 ? path.substr(path.size() - 5) : path;
        if (report::IsExportPath(path)) {
            written = report::WriteExport(prepared->rendered, path, &error);
        } else if (strcasecmp(ext.c_str(), ".html") == 0) {
            written = report::WriteHtml(prepared->rendered, path, &error);
        } else {
            auto doc = report::MakeDocument(prepared->rendered);
            written = report::WritePdf(*doc, path, prepared->rendered.title, &error);
        }
    }
    if (!written) {
        out << result.addString("error", error.empty() ? "no report" : error).str() << "\n";
        return kExitFailed;
    }
    std::string errors = "[";
    for (const auto& e : prepared->rendered.errors) errors += (errors.size() > 1 ? ", " : "") + JsonString(e);
    result.addString("out", o.get("out")).addString("type", o.get("type")).addString("title", prepared->rendered.title);
    out << result.add("errors", errors + "]").str() << "\n";
    return kExitOk;
}

} // namespace zorva::cli
