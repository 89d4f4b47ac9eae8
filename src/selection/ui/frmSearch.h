#pragma once
// The industry search: the user finds one industry of the chosen data set
// (sector tree, code list, title list or key word search), picks a report
// option and presses Continue. The chosen industry is the current choice of
// the navigator (core/Navigator.h), shown in the controls of the bottom strip;
// the values screen, the open-existing list and the reports read it there.
//
// Activation: entered from the main menu the screen starts afresh (captions,
// tree mode, tree rebuilt, nothing chosen). After one of its own excursions
// (Continue, About, Industry Definition) mblnRefreshOnActivate is False and
// the next activation keeps everything. An activation while the screen stayed
// visible (the user went to the definition window or the open-existing list
// and came back, as often as he likes) keeps everything too: only a screen
// that was hidden can be entered afresh.
//
// Keyboard: every control is on the Tab chain; the arrow keys choose in the
// tree, the lists and the grid as a click does; Enter on a chosen industry
// (a paper of the tree, a row of the grid, a list with a choice) runs
// Continue, Enter in the key word box runs the search.

#include "ui/ScreenBase.h"

#include <string>

class QAbstractButton;
class QModelIndex;
class QTreeWidgetItem;
class QWidget;

namespace Ui {
class frmSearch;
}

namespace zorva {

class RecordsetModel;

class frmSearch : public ScreenBase {
    Q_OBJECT
public:
    frmSearch();
    ~frmSearch() override;
    static frmSearch& instance() { return ScreenInstance<frmSearch>(); }

    // Window title and every caption in the current language.
    void subLoadCaptions();
    // Tree mode, key word box empty, grid hidden, nothing chosen; the report
    // options keep their selection.
    void subInitialize();
    // Rebuilds the tree for the current data set and language.
    void subLoadTreeView();
    // Refill the code list and the title list (title list in the language).
    void subPopulateNAICScodes();
    void subPopulateNAICSTitles();
    // Shows the chosen industry (sector, code label, title) as the current
    // choice holds it.
    void subShowChoice();
    // After a language switch (the navigator calls it, also while the screen
    // is hidden): tree, title list, the chosen industry and every caption in
    // the new language; key word results, found in the other language's
    // titles, are put away.
    void subLanguageChanged();
    // Column widths of the key word grid.
    void subFormatGrid();
    // Shows the chosen report, or goes on to the values screen or the
    // open-existing list.
    void cmdContinue_Click();

    // The chosen industry (CurrentChoice().industry): the bare code and its
    // title; both empty when nothing is chosen.
    std::string ChosenNaics() const;
    std::string ChosenTitle() const;
    // Shows the screen as entered from the main menu: it starts afresh, also
    // when it was left for the values screen (whose Return to Main Menu does
    // not reset it), so that no industry of another data set stays chosen.
    void EnterFromMainMenu();
    // Chooses an industry by its code, as choosing it in the code list does.
    void ChooseCode(const std::string& code);

    Ui::frmSearch* const ui;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& cancel) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void optSearchNaics_Click();
    void optKeyword_Click();
    void optNAICScode_Click();
    void optNAICSTitle_Click();
    void optDataType_Click();
    void cmdKeyword_Click();
    void cboNAICScodes_Click();
    void cboNAICSTitle_Click();
    void TreeView1_Click(QTreeWidgetItem* node);
    void TreeView1_DblClick(QTreeWidgetItem* node);
    void dbgridKeywordResults_Click(const QModelIndex& index);
    void dbgridKeywordResults_DblClick(const QModelIndex& index);
    void mnuReturn_Click();
    void mnuExit_Click();
    void mnuDefinition_Click();
    void mnuEnglish_Click();
    void mnuFrench_Click();
    void mnuContents_Click();
    void mnuTechnical_Click();
    void mnuAbout_Click();

    void subApplyCaptions(int language);
    void subSwitchLanguage(int language);
    // Shows one search frame and hides the three others.
    void subShowFrame(QWidget* frame);
    void subClearChoice();
    void subSetChoice(const std::string& sector, const std::string& code, const std::string& title);
    bool fncIsIndustry(const QTreeWidgetItem* node) const;
    bool fncChosen() const;

    bool mblnRefreshOnActivate = true;
    // Hidden since its last activation: the next one may start afresh.
    bool mblnHiddenSinceActivation = true;
    RecordsetModel* mKeywordResults;
};

} // namespace zorva
