#pragma once
// The values screen: one enterprise's balance sheet and income statement for
// one reference year, typed, saved, reopened and compared with the industry
// chosen on the search screen.
//
// The record lives in the screen's controls (name box, year box, the hidden
// NAICS label and 32 value boxes); the arithmetic is the enterprise record's
// (EnterpriseRecord.h) and the statements are the record store's
// (RecordStore.h). Every key, paste (Ctrl+V, Shift+Insert, the context menu,
// the middle button) and drop reaching an entry box goes through the record's
// key filter, so an entry box only ever holds digits, one point and a minus.
// A box is normalised when it is left and when Enter is pressed in it, and
// Save, Compare, New and the Return commands normalise every entry box and
// recompute the subtotals first, since a toolbar button or a menu does not
// take the focus away from the box being typed in.
//
// Its commands are the flows of enterprise/ValuesFlow.h (the questions, the
// store, the comparison sequence); the screen is their record holder.
//
// Activation: a screen shown afresh (after having been hidden) starts a new,
// unchanged record unless gblnKeepValues says to keep its contents (a stored
// record being opened); coming back from a window that stayed over it (a
// report, about, the list, a definition) neither loses what is typed nor
// forgets that it is unsaved.

#include "enterprise/EnterpriseRecord.h"
#include "enterprise/ValuesFlow.h"
#include "ui/ScreenBase.h"

#include <string>

class QLineEdit;
class QPushButton;

namespace Ui {
class frmMyValues;
}

namespace zorva {

class frmMyValues : public ScreenBase, public values::RecordHolder {
    Q_OBJECT
public:
    frmMyValues();
    ~frmMyValues() override;
    static frmMyValues& instance() { return ScreenInstance<frmMyValues>(); }

    // Captions, menus and the chosen industry, in the current language.
    void subLoadCaptions();
    // After a language switch (the navigator calls it): every caption in the
    // new language; the record keeps its changed flag.
    void subLanguageChanged();
    void subLoadToolbarToolTip();
    void subFillYears();

    // The enterprise record's procedures, on the controls.
    void subCalculateSubTotals();
    bool fncCheckNumericField(QLineEdit* box);
    void subInitializeValues();
    void subSetAllValuesToZero();

    // The record store.
    bool subSave_Firm_Record(bool blnSkipWarningMessages);
    void subDelete_Firm_Record();
    values::NewResult subStart_New_Firm_Record();
    void subOpen_Existing_Firm_Record();
    void subView_Comparison_Report();
    // The trend report of the years saved under the name on screen.
    void subView_Trend_Report();
    // Toolbar button and View menu item of the trend report.
    QAction* tbTrend = nullptr;
    QAction* mnuTrend = nullptr;
    // File > Import… (a statement from a CSV or XLSX file, through a preview)
    // and File > Statement template.
    QAction* mnuImport = nullptr;
    QAction* mnuImportBooks = nullptr;  // File > Import from books…
    QAction* mnuTemplate = nullptr;
    void subImport_Statement();
    void subImport_Books();
    void subOpen_Statement_Template();

    // Puts a stored record on screen (the open-existing list's last step):
    // year, the industry chosen now, the values as stored, the captions, then
    // the name. The record counts as unchanged.
    void subShowStoredRecord(const RecordTexts& record);

    // The record as the controls hold it.
    RecordTexts fncRecordFromControls() const;
    bool DataChanged() const { return mblnDataChanged; }

    // The record holder of the flows.
    bool FinishEditing() override { return fncFinishEditing(); }
    RecordTexts Record() const override { return fncRecordFromControls(); }
    void ShowRecord(const RecordTexts& record) override;  // the 32 amounts
    void Clear() override;
    bool Changed() const override { return mblnDataChanged; }
    void SetChanged(bool changed) override { mblnDataChanged = changed; }

    // The value box and the definition link (label) of a value field.
    QLineEdit* ValueBox(Field f) const;
    QPushButton* ValueLabel(Field f) const;
    // Shows the definition of a value field in a message box.
    void subShowDefinition(Field f);

    Ui::frmMyValues* const ui;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* e) override;

private:
    void subApplyCaptions(int language);
    void subWriteValues(const RecordTexts& record);
    // Normalises every entry box and recomputes the subtotals; false (after
    // a message, with the focus on the box) when an amount is out of range.
    bool fncFinishEditing();
    // The key filter of one entry box: true when the key was handled here.
    bool fncKeyPress(QLineEdit* box, int keyCode);
    // Pasted or dropped text, one character at a time through the key filter;
    // a refused character leaves the box as it was.
    void subPaste(QLineEdit* box, const QString& text);
    void subSwitchLanguage(int language);
    void subReturn(bool toSearch);
    Field fieldOf(QObject* box) const;

    bool mblnDataChanged = false;
    bool mblnShownAfresh = true;  // hidden since the last activation
    bool mblnChecking = false;    // a box is being normalised
};

} // namespace zorva
