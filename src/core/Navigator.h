#pragma once
// How the screens meet. A screen never calls another screen: it asks the
// navigator to show one, and what one screen chooses for the next (the data
// set, the industry) is plain data here rather than the state of a control.
//
// The program installs the navigator of its screens (ui/Navigator.cpp), the
// one place that knows every screen. It speaks only of plain data: what a
// subsystem's own flows need of its screens (the enterprise's previews, the
// report viewer) is an interface of that subsystem, which the same navigator
// implements (enterprise/EnterpriseScreens.h, reports/render/ReportViewerLogic.h). Without it (the command-line tool, unit
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

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorva {

struct IndustryChoice {
    std::string naics;   // the bare code; empty when nothing is chosen
    std::string title;   // in the language in force
    std::string sector;  // the sector's folder, in the language in force
    bool empty() const { return naics.empty(); }
};

// A report asked for by a screen or a flow: its type ("rat", "bal", "com",
// "tre"), the year it is for, the industry, and for the comparison and the
// trend the enterprise's comparison values (empty for the industry reports).
struct ReportRequest {
    std::string type;
    std::int16_t year = 0;
    std::string naics;
    std::vector<std::string> comparisonValues;
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
    // The values screen as its activation rule finds it.
    virtual void ShowValues() {}
    // The open-existing list, loaded afresh; false (and nothing shown) when
    // no record is stored.
    virtual bool ShowOpenExisting() { return false; }
    // A report prepared from the data set and region in force and the
    // language in force, then shown in the viewer, modal over the active
    // window; returns when the viewer is closed (or at once when there was
    // nothing to show).
    virtual void ShowReport(const ReportRequest& request) { (void)request; }
    // The about screen, modal over the active window.
    virtual void ShowAbout() {}
    // The industry definition window for a code.
    virtual void ShowIndustryDefinition(const std::string& naics) { (void)naics; }
    // The language changed: every screen that exists shows its texts, lists
    // and choices in the new language before this returns.
    virtual void LanguageChanged() {}
};

// The navigator in force (the do-nothing one until another is installed).
Navigator& navigator();
void SetNavigator(std::shared_ptr<Navigator> navigator);

} // namespace zorva
