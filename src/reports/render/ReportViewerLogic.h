#pragma once
// What the report viewer does, without widgets: which report a type names,
// preparing the report tables and rendering the template in one transaction,
// handing the result to the viewer (ReportViewer below, which the program's
// navigator implements), the window's resize rule, and rendering a report to
// a file.

#include "core/DBTools.h"
#include "reports/render/ReportEngine.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zorva::report {

enum class ReportType { Invalid, Ratios, BalanceSheet, Comparison, Trend };

struct ReportTypeInfo {
    ReportType type = ReportType::Invalid;
    const char* templateFile = "";  // in the application folder
    int captionId = 0;              // English id of the window caption
};

// The type named by the first three letters of ReportToDisplay, in any case:
// "rat", "bal", "com", "tre" (the enterprise's saved years).
ReportTypeInfo ReportTypeOf(const std::string& ReportToDisplay);
// The window caption of a type: French when the first letter of Language,
// upper-cased, is "F".
std::string ReportCaption(const ReportTypeInfo& info, const std::string& Language);

// The preparations of the report tables, by type. By default the program's
// own; tests and benchmarks may put others in their place.
using PrepareFn = std::function<bool(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                                     const std::string& ReportToDisplay, std::int16_t Volume,
                                     const std::string& Province, std::int16_t Year, const std::string& NAICS,
                                     const std::string& Language, const std::vector<std::string>& aComparisonValues)>;
struct Preparations {
    PrepareFn ratios, balanceSheet, comparison, trend;
};
Preparations& ReportPreparations();
void ResetReportPreparations();

// True when the industry data store describes its figures as illustrative
// (a description in datadescription says so). A store without that table
// counts as not illustrative.
bool FiguresAreIllustrative(ConnectionHandle& DataConn);

struct PreparedReport {
    ReportTypeInfo info;
    std::string caption;
    Rendered rendered;
};

// Steps of showing a report up to the rendered document, inside one
// transaction on WriteConn (the preparations nest in it as savepoints), so
// that a second copy of the program cannot mix its rows with ours:
// the type (unknown: the "Invalid Report Type: " message, nothing), the
// preparation (False: nothing), opening the template of the application
// folder, relocating its tables to the user data store (the first, then
// every index from 1 until the first missing one), rendering.
std::optional<PreparedReport> PrepareReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                                            const std::string& ReportToDisplay, std::int16_t Volume,
                                            const std::string& Province, std::int16_t Year,
                                            const std::string& NAICS, const std::string& Language,
                                            const std::vector<std::string>& aComparisonValues);

// Where a prepared report is shown: the viewer screen, installed by the
// program's navigator (ui/Navigator.cpp). Without it (the command-line tool,
// unit tests) a prepared report is shown nowhere; a test installs a fake that
// records it.
class ReportViewer {
public:
    virtual ~ReportViewer() = default;
    // The report in the viewer, modal over the active window; returns when
    // the viewer is closed.
    virtual void ShowPrepared(const PreparedReport& report) { (void)report; }
};
ReportViewer& reportViewer();
void SetReportViewer(std::shared_ptr<ReportViewer> viewer);

// Prepares the report tables for a report type ("rat", "bal", "com", "tre";
// only the first three letters count, in any case), renders the template and
// has the report viewer show it, modally. An unknown type gives the
// "Invalid Report Type: " message; a preparation that finds no data shows
// nothing. The hourglass shows while the report is prepared.
void PrepareAndShowReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, const std::string& ReportToDisplay,
                          std::int16_t Volume, const std::string& Province, std::int16_t Year,
                          const std::string& NAICS, const std::string& Language,
                          const std::vector<std::string>& aComparisonValues);

// Points every table of a report at a file: the first table, then each
// index from 1 until the engine refuses one. Returns the number relocated.
int RelocateTables(Report& report, const std::string& file);

// The user data store as the viewer names it to the engine.
std::string ReportDataLocation();

// Renders a report into a PDF or HTML file (by the extension of `outPath`)
// without a display: the command-line tool's "report" command.
bool RenderReportToFile(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, const std::string& ReportToDisplay,
                        std::int16_t Volume, const std::string& Province, std::int16_t Year,
                        const std::string& NAICS, const std::string& Language,
                        const std::vector<std::string>& aComparisonValues, const std::string& outPath,
                        std::string* error);

// The viewer's resize rule, in twips (15 twips a pixel): the view is the
// window less 200 wide and 1200 high (never below 0); the Return button keeps
// its right edge on the view's right edge.
struct ViewerGeometry {
    int viewerWidth, viewerHeight, backLeft;
};
ViewerGeometry ViewerResize(int windowWidth, int windowHeight, int viewerLeft, int backWidth);
inline constexpr int kTwipsPerPixel = 15;

} // namespace zorva::report

namespace zorva {
using report::PrepareAndShowReport;
} // namespace zorva
