#include "ui/Navigator.h"

#include "core/Globals.h"
#include "core/Navigator.h"
#include "enterprise/EnterpriseScreens.h"
#include "enterprise/ui/frmBooksPreview.h"
#include "enterprise/ui/frmImportPreview.h"
#include "enterprise/ui/frmMyValues.h"
#include "enterprise/ui/frmOpenExisting.h"
#include "reports/render/ReportViewerLogic.h"
#include "reports/ui/frmReportViewer.h"
#include "selection/IndustrySearch.h"
#include "selection/ui/frmIndustryDefinitions.h"
#include "selection/ui/frmMenu.h"
#include "selection/ui/frmSearch.h"
#include "ui/ScreenBase.h"
#include "ui/frmAbout.h"

#include <QApplication>

namespace zorva {

namespace {

// The navigator of core/Navigator.h, and the small interfaces the subsystems
// declare for their own screens: the enterprise's previews and choosers, the
// report viewer.
class ScreenNavigator : public Navigator, public EnterpriseScreens, public report::ReportViewer {
public:
    void ShowMenu() override { frmMenu::instance().Show(); }

    void ShowSearch(SearchEntry entry) override {
        if (entry == SearchEntry::Afresh) frmSearch::instance().EnterFromMainMenu();
        else frmSearch::instance().Show();
    }

    void HideSearch() override {
        if (auto* search = ExistingScreen<frmSearch>()) search->hide();
    }

    void ShowValues() override { frmMyValues::instance().Show(); }

    void ShowStoredRecord(const RecordTexts& record) override {
        frmMyValues& values = frmMyValues::instance();
        values.Show();
        values.subShowStoredRecord(record);
    }

    bool ShowOpenExisting() override {
        frmOpenExisting& list = frmOpenExisting::instance();
        list.hide();
        if (!list.fncLoadFirms()) return false;
        list.Show();
        list.setWindowState(list.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        return true;
    }

    void ShowReport(const ReportRequest& r) override {
        PrepareAndShowReport(gcnIndustry, gcnUser, r.type, gintVolume, gstrRegion, r.year, r.naics, LanguageLetter(),
                             r.comparisonValues);
    }

    void ShowPrepared(const report::PreparedReport& report) override { frmReportViewer::ShowPrepared(report); }

    void ShowAbout() override { frmAbout::instance().ShowModal(QApplication::activeWindow()); }

    void ShowIndustryDefinition(const std::string& naics) override {
        frmIndustryDefinitions::instance().ShowDefinition(naics);
    }

    void LanguageChanged() override {
        // The choice first: the screens show it in their captions.
        RefreshChoiceLanguage();
        if (auto* menu = ExistingScreen<frmMenu>()) menu->subLanguageChanged();
        if (auto* search = ExistingScreen<frmSearch>()) search->subLanguageChanged();
        if (auto* values = ExistingScreen<frmMyValues>()) values->subLanguageChanged();
        if (auto* list = ExistingScreen<frmOpenExisting>()) {
            list->subLoadCaptions();
            list->fncLoadFirms();  // the industries' titles
        }
        if (auto* definition = ExistingScreen<frmIndustryDefinitions>()) definition->subLanguageChanged();
    }

    std::string ChooseStatementFile() override {
        auto& chooser = frmImportPreview::FileChooser();
        return chooser ? chooser(QApplication::activeWindow()) : std::string();
    }

    bool ConfirmImport(import::StatementReview& review) override {
        frmImportPreview dialog(QApplication::activeWindow());
        dialog.SetReview(review);
        ClampToScreen(dialog);
        return dialog.exec() == QDialog::Accepted;
    }

    std::string ChooseBooksFile() override {
        auto& chooser = frmBooksPreview::FileChooser();
        return chooser ? chooser(QApplication::activeWindow()) : std::string();
    }

    bool ReviewBooks(books::BooksReview& review) override {
        frmBooksPreview dialog(QApplication::activeWindow());
        dialog.SetReview(review);
        ClampToScreen(dialog);
        return dialog.exec() == QDialog::Accepted;
    }
};

} // namespace

void InstallScreenNavigator() {
    auto screens = std::make_shared<ScreenNavigator>();
    SetNavigator(screens);
    SetEnterpriseScreens(screens);
    report::SetReportViewer(screens);
}

} // namespace zorva
