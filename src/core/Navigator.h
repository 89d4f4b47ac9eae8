#pragma once
// How the screens meet. A screen never calls another screen: it asks the
// navigator to show one, and what one screen chooses for the next (the data
// set, the industry) is plain data here rather than the state of a control.
//
// The program installs the navigator of its screens (ui/Navigator.cpp), the
// one place that knows every screen. Without it (the command-line tool, unit
// tests) every request does nothing and says that nothing was shown; a test
// installs a fake that records what was asked.
//
// The current choice, and who writes it:
//   data set  the main menu, through the catalogue (subSetDataTable writes the
//             data set globals of core/Globals.h; CurrentChoice().dataset is
//             the name of the chosen option button)
//   industry  the search screen, whenever an industry is chosen or cleared;
//             the values screen, the open-existing list and the reports read
//             it. Its title and sector are in the language in force: a
//             language switch looks them up again (RefreshChoiceLanguage,
//             selection/IndustrySearch.h) before the screens reload their texts.

#include <memory>
#include <string>

namespace zorva {

struct RecordTexts;
namespace report {
struct PreparedReport;
}
namespace import {
struct StatementReview;
}
namespace books {
struct BooksReview;
}

struct IndustryChoice {
    std::string naics;   // the bare code; empty when nothing is chosen
    std::string title;   // in the language in force
    std::string sector;  // the sector's folder, in the language in force
    bool empty() const { return naics.empty(); }
};

struct Choice {
    std::string dataset;  // option button name of the data set ("optVol3" ...)
    IndustryChoice industry;
};
// The current choice (one per program).
Choice& CurrentChoice();

class Navigator {
public:
    virtual ~Navigator() = default;

    // The main menu.
    virtual void ShowMenu() {}
    // The search screen: afresh (as entered from the main menu: captions,
    // tree mode, nothing chosen) or as it was left.
    enum class SearchEntry { Afresh, AsLeft };
    virtual void ShowSearch(SearchEntry entry) { (void)entry; }
    virtual void HideSearch() {}
    // The values screen as its activation rule finds it, or with a stored
    // record put on it (the record counts as unchanged).
    virtual void ShowValues() {}
    virtual void ShowStoredRecord(const RecordTexts& record) { (void)record; }
    // The open-existing list, loaded afresh; false (and nothing shown) when
    // no record is stored.
    virtual bool ShowOpenExisting() { return false; }
    // A prepared report in the viewer, modal over the active window; returns
    // when the viewer is closed.
    virtual void ShowReport(const report::PreparedReport& report) { (void)report; }
    // The about screen, modal over the active window.
    virtual void ShowAbout() {}
    // The industry definition window for a code.
    virtual void ShowIndustryDefinition(const std::string& naics) { (void)naics; }
    // The language changed: every screen that exists shows its texts, lists
    // and choices in the new language before this returns.
    virtual void LanguageChanged() {}
    // A statement file to import, chosen by the user; empty: cancelled.
    virtual std::string ChooseStatementFile() { return {}; }
    // The import preview of a statement file (its sheet and the choice to
    // keep the lines it does not name are changed in the review); true when
    // the user accepts it.
    virtual bool ConfirmImport(import::StatementReview& review) {
        (void)review;
        return false;
    }
    // Books or a trial balance to import, chosen by the user; empty: cancelled.
    virtual std::string ChooseBooksFile() { return {}; }
    // The preview of books: the mapping (changed in the review) and the
    // statement; true when the user asks to import it.
    virtual bool ReviewBooks(books::BooksReview& review) {
        (void)review;
        return false;
    }
};

// The navigator in force (the do-nothing one until another is installed).
Navigator& navigator();
void SetNavigator(std::shared_ptr<Navigator> navigator);

} // namespace zorva
