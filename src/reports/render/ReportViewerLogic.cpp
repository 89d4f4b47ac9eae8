#include "reports/render/ReportViewerLogic.h"

#include "core/AppPath.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/Text.h"
#include "reports/render/ReportDocument.h"

#include "reports/prep/ReportPrep.h"
#include "reports/prep/Trend.h"

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <cctype>

namespace zorva::report {

ReportTypeInfo ReportTypeOf(const std::string& ReportToDisplay) {
    const std::string t = AsciiLower(ReportToDisplay.substr(0, 3));
    if (t == "rat") return {ReportType::Ratios, "rpt_Ratios.rpt", 1006};
    if (t == "bal") return {ReportType::BalanceSheet, "rpt_BalanceSheet.rpt", 1008};
    if (t == "com") return {ReportType::Comparison, "rpt_Comparison.rpt", 1010};
    if (t == "tre") return {ReportType::Trend, "rpt_Trend.rpt", 2050};
    return {};
}

std::string ReportCaption(const ReportTypeInfo& info, const std::string& Language) {
    if (info.type == ReportType::Invalid) return {};
    const bool french = !Language.empty() && std::toupper(static_cast<unsigned char>(Language[0])) == 'F';
    return Txt(info.captionId, french ? 1 : 0);
}

namespace {

// While a preparation holds the user store's write lock, its plain OK
// messages (the comparison's "no data" message) wait until the transaction
// has ended, so that a second copy of the program is never kept waiting
// behind a message box. Messages that ask a question go through at once.
class DeferredMessages : public MessageService {
public:
    explicit DeferredMessages(std::shared_ptr<MessageService> target) : target_(std::move(target)) {}
    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) override {
        if (buttons != MsgButtons::OK) return target_->show(text, title, buttons, icon);
        pending_.push_back({text, title, icon});
        return MsgAnswer::OK;
    }
    void replay() {
        auto pending = std::move(pending_);
        pending_.clear();
        for (const auto& m : pending) target_->show(m.text, m.title, MsgButtons::OK, m.icon);
    }
private:
    struct Pending {
        std::string text, title;
        MsgIcon icon;
    };
    std::shared_ptr<MessageService> target_;
    std::vector<Pending> pending_;
};

// Installs a DeferredMessages for its lifetime and shows what it held when
// it goes (also when an error leaves the preparation).
class DeferMessagesScope {
public:
    DeferMessagesScope()
        : previous_(services().messages), deferred_(std::make_shared<DeferredMessages>(previous_)) {
        services().messages = deferred_;
    }
    ~DeferMessagesScope() {
        services().messages = previous_;
        deferred_->replay();
    }
private:
    std::shared_ptr<MessageService> previous_;
    std::shared_ptr<DeferredMessages> deferred_;
};

Preparations DefaultPreparations() {
    Preparations p;
    p.ratios = [](ConnectionHandle& d, ConnectionHandle& w, const std::string& r, std::int16_t v,
                  const std::string& pr, std::int16_t y, const std::string& n, const std::string& l,
                  const std::vector<std::string>&) { return fncPrepareRatiosReport(d, w, r, v, pr, y, n, l); };
    p.balanceSheet = [](ConnectionHandle& d, ConnectionHandle& w, const std::string& r, std::int16_t v,
                        const std::string& pr, std::int16_t y, const std::string& n, const std::string& l,
                        const std::vector<std::string>&) {
        return fncPrepareBalanceSheetReport(d, w, r, v, pr, y, n, l);
    };
    p.comparison = [](ConnectionHandle& d, ConnectionHandle& w, const std::string& r, std::int16_t v,
                      const std::string& pr, std::int16_t y, const std::string& n, const std::string& l,
                      const std::vector<std::string>& a) {
        return fncPrepareComparisonReport(d, w, r, v, pr, y, n, l, a);
    };
    p.trend = fncPrepareTrendReport;
    return p;
}
} // namespace

Preparations& ReportPreparations() {
    static Preparations p = DefaultPreparations();
    return p;
}

void ResetReportPreparations() { ReportPreparations() = DefaultPreparations(); }

bool FiguresAreIllustrative(ConnectionHandle& DataConn) {
    if (!DataConn || !TableExists(DataConn, "datadescription")) return false;
    auto rs = GetRS(DataConn, "select * from datadescription", "read");
    for (const auto& row : rs->Rows()) {
        for (const auto& v : row) {
            if (v.type() != Variant::Type::Text) continue;
            const std::string s = AsciiLower(v.toString());
            if (s.find("illustrat") != std::string::npos || s.find("indicatif") != std::string::npos ||
                s.find("fictif") != std::string::npos || s.find("fictiti") != std::string::npos)
                return true;
        }
    }
    return false;
}

// The report tables are those of the user store the program opened.
std::string ReportDataLocation() { return UserStorePath(); }

int RelocateTables(Report& report, const std::string& file) {
    int done = 0;
    // The first table first, as the engine's users have always done.
    try {
        report.Table(1).SetLocation(file);
    } catch (const ReportError&) {
        return 0;
    }
    for (int i = 1;; ++i) {
        try {
            report.Table(i).SetLocation(file);
            ++done;
        } catch (const ReportError&) {
            break;  // no such table: the end of the list
        }
    }
    return done;
}

std::optional<PreparedReport> PrepareReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                                            const std::string& ReportToDisplay, std::int16_t Volume,
                                            const std::string& Province, std::int16_t Year,
                                            const std::string& NAICS, const std::string& Language,
                                            const std::vector<std::string>& aComparisonValues) {
    PreparedReport out;
    out.info = ReportTypeOf(ReportToDisplay);
    if (out.info.type == ReportType::Invalid) {
        MsgBox(Txt(1400) + ReportToDisplay, MsgButtons::OK, MsgIcon::None);
        return std::nullopt;
    }
    const std::string templatePath = AppFile(out.info.templateFile);
    const PrepareFn& prepare = out.info.type == ReportType::Ratios         ? ReportPreparations().ratios
                               : out.info.type == ReportType::BalanceSheet ? ReportPreparations().balanceSheet
                               : out.info.type == ReportType::Trend        ? ReportPreparations().trend
                                                                           : ReportPreparations().comparison;
    if (!prepare) throw ReportError("The preparation of this report is not part of this build.");

    DeferMessagesScope deferMessages;  // declared first: shows its messages after the transaction
    Transaction tx(WriteConn);
    const bool ready = prepare(DataConn, WriteConn, ReportToDisplay, Volume, Province, Year, NAICS, Language,
                               aComparisonValues);
    out.caption = ReportCaption(out.info, Language);
    if (!ready) {
        tx.Commit();  // the emptied tables are the state the preparation left
        return std::nullopt;
    }
    auto report = Report::Open(templatePath);
    RelocateTables(*report, ReportDataLocation());
    RenderOptions options;
    options.illustrative = FiguresAreIllustrative(DataConn);
    if (out.info.type == ReportType::Comparison || out.info.type == ReportType::Trend)
        options.comparisonValues = aComparisonValues;
    if (out.info.type == ReportType::Trend) options.savedYears = SavedYearsOf(WriteConn, aComparisonValues);
    out.rendered = report->Render(WriteConn, options);
    tx.Commit();
    return out;
}

namespace {
std::shared_ptr<ReportViewer>& installedViewer() {
    static std::shared_ptr<ReportViewer> v = std::make_shared<ReportViewer>();
    return v;
}
} // namespace

ReportViewer& reportViewer() { return *installedViewer(); }

void SetReportViewer(std::shared_ptr<ReportViewer> viewer) {
    installedViewer() = viewer ? std::move(viewer) : std::make_shared<ReportViewer>();
}

namespace {
// The hourglass while a report is prepared, put back however we leave; only
// where there is a display.
struct WaitCursor {
    const bool shown = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    WaitCursor() {
        if (shown) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor() {
        if (shown) QGuiApplication::restoreOverrideCursor();
    }
};
} // namespace

void PrepareAndShowReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, const std::string& ReportToDisplay,
                          std::int16_t Volume, const std::string& Province, std::int16_t Year,
                          const std::string& NAICS, const std::string& Language,
                          const std::vector<std::string>& aComparisonValues) {
    std::optional<PreparedReport> prepared;
    {
        WaitCursor wait;
        prepared = PrepareReport(DataConn, WriteConn, ReportToDisplay, Volume, Province, Year, NAICS, Language,
                                 aComparisonValues);
    }
    if (prepared) reportViewer().ShowPrepared(*prepared);
}

bool RenderReportToFile(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, const std::string& ReportToDisplay,
                        std::int16_t Volume, const std::string& Province, std::int16_t Year,
                        const std::string& NAICS, const std::string& Language,
                        const std::vector<std::string>& aComparisonValues, const std::string& outPath,
                        std::string* error) {
    auto prepared = PrepareReport(DataConn, WriteConn, ReportToDisplay, Volume, Province, Year, NAICS, Language,
                                  aComparisonValues);
    if (!prepared) {
        if (error) *error = "no report";
        return false;
    }
    const std::string ext = AsciiLower(outPath.size() >= 5 ? outPath.substr(outPath.size() - 5) : outPath);
    if (ext == ".html" || (ext.size() >= 4 && ext.substr(ext.size() - 4) == ".htm"))
        return WriteHtml(prepared->rendered, outPath, error);
    auto doc = MakeDocument(prepared->rendered);
    return WritePdf(*doc, outPath, prepared->rendered.title, error);
}

ViewerGeometry ViewerResize(int windowWidth, int windowHeight, int viewerLeft, int backWidth) {
    ViewerGeometry g;
    g.viewerWidth = std::max(0, windowWidth - 200);
    g.viewerHeight = std::max(0, windowHeight - 1200);
    g.backLeft = g.viewerWidth + viewerLeft - backWidth;
    return g;
}

} // namespace zorva::report
