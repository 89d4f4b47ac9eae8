#include "enterprise/ui/frmMyValues.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "ui/QtServices.h"
#include "core/AppPath.h"
#include "core/Navigator.h"
#include "core/modMain.h"
#include "enterprise/LineItemDefinitions.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ImportFlow.h"
#include "enterprise/ValuesFlow.h"
#include "enterprise/ui/GroupedAmounts.h"
#include "ui_frmMyValues.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace zorva {

namespace {

// The definition link (label) of each value field, in column order from Cash.
const char* const kLabelNames[] = {
    "lblCash", "lblReceivables", "lblInventory", "lblCapitalAssets", "lblOtherAssets", "lblTotalOA",
    "lblInvestments", "lblPortfolio", "lblTotalAssets", "lblOperatingRevenue", "lblRevenue", "lblGrossProfit",
    "lblOperatingProfit", "lblInterestExpense", "lblPretaxProfit", "lblAftertaxProfit", "lblAccountPayable",
    "lblShortterm", "lblMortgages", "lblBonds", "lblOtherLoans", "lblAffiliate", "lblOtherLiabilities",
    "lblDeferredTax", "lblLiabilities", "lblShareCapital", "lblRetainedEarnings", "lblOther", "lblEquity",
    "lblTotal", "lblCurrentAssets", "lblCurrentLiabilities"};

// Keyboard order of the boxes: down the assets, the liabilities and equity
// with the two current items, then the income statement (the Enter chain with
// the totals in their places).
const Field kTabOrder[] = {
    Field::Cash, Field::Ar, Field::Inv, Field::CA, Field::OA, Field::Toa, Field::Invest, Field::Ptfl, Field::Ta,
    Field::AccountsPayable, Field::Paper, Field::Mtg, Field::Bonds, Field::Ol, Field::AmtsAffil, Field::OLiab,
    Field::DefTax, Field::Tliab, Field::ShareC, Field::RetEarn, Field::OtherSur, Field::Equity1,
    Field::TotLiabShareEq, Field::CurrentAssets, Field::CurrentLiabilities, Field::OperatingRevenue, Field::Sales,
    Field::GrossProfit, Field::OperatingProfit, Field::InterestExpense, Field::PretaxProfit, Field::ProfitAfterTax};

// The two placeholders of the name box.
bool isPlaceholder(const std::string& name) { return name == Txt(544, 0) || name == Txt(544, 1); }

} // namespace

frmMyValues::frmMyValues() : ui(new Ui::frmMyValues) {
    ui->setupUi(this);
    SetMainScreen(true);

    // Toolbar pictures from the platform's standard set.
    QStyle* st = style();
    ui->tbNew->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    ui->tbOpen->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    ui->tbSave->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    ui->tbDelete->setIcon(st->standardIcon(QStyle::SP_TrashIcon));
    ui->tbCompare->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->tbClear->setIcon(st->standardIcon(QStyle::SP_DialogResetButton));

    // Labels that open a definition look like labels, with a hint of a link.
    ui->centralwidget->setStyleSheet(
        "QPushButton[definitionLink=\"true\"] { text-align: left; border: none; padding: 2px 4px; }"
        "QPushButton[definitionLink=\"true\"]:hover, QPushButton[definitionLink=\"true\"]:focus "
        "{ text-decoration: underline; }");

    QWidget* previous = ui->cboYear;
    setTabOrder(ui->txtFirmName, ui->cboYear);
    for (Field f : kTabOrder) {
        QLineEdit* box = ValueBox(f);
        box->setProperty("field", static_cast<int>(f));
        box->installEventFilter(this);
        box->setAcceptDrops(false);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->setContextMenuPolicy(Qt::DefaultContextMenu);
        if (IsComputed(f)) {
            QPalette p = box->palette();
            p.setColor(QPalette::Base, QColor(224, 224, 224));
            p.setColor(QPalette::Text, QColor(0, 0, 128));
            box->setPalette(p);
            QFont font = box->font();
            font.setBold(true);
            box->setFont(font);
        }
        connect(box, &QLineEdit::textChanged, this, [this] { mblnDataChanged = true; });
        ShowGroupedAmount(box);
        setTabOrder(previous, box);
        previous = box;
    }
    for (Field f : kTabOrder) {
        QPushButton* label = ValueLabel(f);
        connect(label, &QPushButton::clicked, this, [this, f] { subShowDefinition(f); });
        setTabOrder(previous, label);
        previous = label;
    }
    setTabOrder(previous, ui->btnBack);
    previous = ui->btnBack;
    // The toolbar can be reached with Tab too: Delete and Clear all have no menu item.
    for (QAction* action : ui->tbToolbar->actions()) {
        QWidget* button = ui->tbToolbar->widgetForAction(action);
        if (!button || action->isSeparator()) continue;
        button->setFocusPolicy(Qt::TabFocus);
        setTabOrder(previous, button);
        previous = button;
    }

    connect(ui->txtFirmName, &QLineEdit::textEdited, this, [this] { mblnDataChanged = true; });
    connect(ui->cboYear, &QComboBox::editTextChanged, this, [this] { mblnDataChanged = true; });

    connect(ui->tbNew, &QAction::triggered, this, [this] { subStart_New_Firm_Record(); });
    connect(ui->tbOpen, &QAction::triggered, this, &frmMyValues::subOpen_Existing_Firm_Record);
    connect(ui->tbSave, &QAction::triggered, this, [this] { subSave_Firm_Record(false); });
    connect(ui->tbDelete, &QAction::triggered, this, &frmMyValues::subDelete_Firm_Record);
    connect(ui->tbCompare, &QAction::triggered, this, &frmMyValues::subView_Comparison_Report);
    connect(ui->tbClear, &QAction::triggered, this, &frmMyValues::subSetAllValuesToZero);

    connect(ui->mnuNew, &QAction::triggered, this, [this] { subStart_New_Firm_Record(); });
    connect(ui->mnuSave, &QAction::triggered, this, [this] { subSave_Firm_Record(false); });
    connect(ui->mnuOpen, &QAction::triggered, this, &frmMyValues::subOpen_Existing_Firm_Record);
    mnuImport = new QAction(this);
    mnuImport->setObjectName("mnuImport");
    mnuImport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    ui->mnuFile->insertAction(ui->mnuReturn, mnuImport);
    connect(mnuImport, &QAction::triggered, this, &frmMyValues::subImport_Statement);
    mnuImportBooks = new QAction(this);
    mnuImportBooks->setObjectName("mnuImportBooks");
    mnuImportBooks->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    ui->mnuFile->insertAction(ui->mnuReturn, mnuImportBooks);
    connect(mnuImportBooks, &QAction::triggered, this, &frmMyValues::subImport_Books);
    mnuTemplate = new QAction(this);
    mnuTemplate->setObjectName("mnuTemplate");
    ui->mnuFile->insertAction(ui->mnuReturn, mnuTemplate);
    ui->mnuFile->insertSeparator(ui->mnuReturn);
    connect(mnuTemplate, &QAction::triggered, this, &frmMyValues::subOpen_Statement_Template);
    connect(ui->mnuReport, &QAction::triggered, this, &frmMyValues::subView_Comparison_Report);
    // The trend report: after Compare on the toolbar, after the comparison in the View menu.
    tbTrend = new QAction(this);
    tbTrend->setObjectName("tbTrend");
    tbTrend->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->tbToolbar->insertAction(ui->tbClear, tbTrend);
    mnuTrend = new QAction(this);
    mnuTrend->setObjectName("mnuTrend");
    ui->mnuView->insertAction(nullptr, mnuTrend);
    if (QWidget* button = ui->tbToolbar->widgetForAction(tbTrend)) {
        button->setFocusPolicy(Qt::TabFocus);
        setTabOrder(ui->tbToolbar->widgetForAction(ui->tbCompare), button);
    }
    connect(tbTrend, &QAction::triggered, this, &frmMyValues::subView_Trend_Report);
    connect(mnuTrend, &QAction::triggered, this, &frmMyValues::subView_Trend_Report);
    connect(ui->mnuReturn, &QAction::triggered, this, [this] { subReturn(false); });
    connect(ui->mnuReturnSearch, &QAction::triggered, this, [this] { subReturn(true); });
    connect(ui->btnBack, &QPushButton::clicked, this, [this] { subReturn(true); });
    connect(ui->mnuExit, &QAction::triggered, this, [this] { close(); });
    // The definition window comes up beside the screen, which stays as it is.
    connect(ui->mnuDefinition, &QAction::triggered, this,
            [] { gsubOpenIndustryDef(CurrentChoice().industry.naics); });
    connect(ui->mnuEnglish, &QAction::triggered, this, [this] { subSwitchLanguage(0); });
    connect(ui->mnuFrench, &QAction::triggered, this, [this] { subSwitchLanguage(1); });
    connect(ui->mnuContents, &QAction::triggered, this, [] { gsubLaunchHelpTopic("Contents", HelpTopic::kValues); });
    connect(ui->mnuTechnical, &QAction::triggered, this, [] { gsubLaunchHelpFile("Tech"); });
    connect(ui->mnuAbout, &QAction::triggered, this, [] { navigator().ShowAbout(); });
}

frmMyValues::~frmMyValues() { delete ui; }

QLineEdit* frmMyValues::ValueBox(Field f) const {
    return findChild<QLineEdit*>(QString::fromLatin1(ControlName(f)));
}

QPushButton* frmMyValues::ValueLabel(Field f) const {
    if (!IsValueField(f)) return nullptr;
    return findChild<QPushButton*>(QString::fromLatin1(kLabelNames[static_cast<int>(f) - kFirstValueField]));
}

Field frmMyValues::fieldOf(QObject* box) const { return static_cast<Field>(box->property("field").toInt()); }

// ---------------------------------------------------------------- life

void frmMyValues::Form_Load() {
    // Room for either language's captions, so that a switch never clips or
    // resizes the window; then centred.
    QLayout* layout = centralWidget()->layout();
    auto measure = [&](int language) {
        subApplyCaptions(language);
        layout->invalidate();
        layout->activate();
        return layout->totalSizeHint();
    };
    const int other = gintLanguage != 0 ? 0 : 1;
    const QSize need = measure(other).expandedTo(measure(gintLanguage));
    centralWidget()->setMinimumSize(need);
    resize(sizeHint().expandedTo(minimumSizeHint()));
    CentreOnScreen();
    mblnDataChanged = false;
    subLoadToolbarToolTip();
}

void frmMyValues::Form_Activate() {
    const bool keep = gblnKeepValues || !mblnShownAfresh;
    gblnKeepValues = false;
    mblnShownAfresh = false;
    if (!keep) {
        subFillYears();
        subInitializeValues();
        subLoadCaptions();
        ui->txtFirmName->setFocus();
        ui->txtFirmName->selectAll();
        mblnDataChanged = false;
    }
    // A kept record keeps its changed flag: a stored record just opened has
    // been marked unchanged by the opening, and changes typed before a window
    // came over the screen (a report, about, the list, a definition) are
    // still unsaved.
}

void frmMyValues::hideEvent(QHideEvent* e) {
    ScreenBase::hideEvent(e);
    if (!e->spontaneous()) mblnShownAfresh = true;
}

void frmMyValues::Form_Unload(bool& cancel) {
    // Unsaved work is offered for saving before the program may end.
    if (!values::MayClose(*this, gcnUser)) {
        cancel = true;
        return;
    }
    AskExitQuestion(cancel);
}

// ---------------------------------------------------------------- captions

void frmMyValues::subLoadCaptions() {
    subApplyCaptions(gintLanguage);
    ui->lblIndustry->setText(qs(CurrentChoice().industry.title));
    ui->lblNAICS->setText(qs(CurrentChoice().industry.naics));
    ui->lblDataTableToCompare->setText(qs(gstrDataTable));
}

void frmMyValues::subApplyCaptions(int language) {
    auto t = [language](int id) { return qs(Txt(id, language)); };
    if (isPlaceholder(ss(ui->txtFirmName->text()))) {
        const bool changed = mblnDataChanged;
        ui->txtFirmName->setText(t(544));
        mblnDataChanged = changed;
    }
    setWindowTitle(t(546) + " " + qs(gstrDatasetCaption));
    ui->btnBack->setText(t(352));
    ui->btnBack->setToolTip(t(352));
    ui->lblFirmName->setText(t(544));
    ui->txtFirmName->setAccessibleName(t(544));
    ui->lblYear->setText(t(274));
    ui->cboYear->setAccessibleName(t(274));
    ui->lblAsset->setText(t(150));
    ui->lblLiabEq->setText(t(170));
    ui->lblIncome->setText(t(294));
    for (Field f : ValueFields()) {
        const QString caption = t(CaptionId(f));
        ValueLabel(f)->setText(caption);
        ValueLabel(f)->setAccessibleName(caption);
        ValueBox(f)->setAccessibleName(caption);
    }
    ui->lblIndustry->setAccessibleName(ui->lblIndustry->text());

    ui->mnuFile->setTitle(t(496));
    ui->mnuNew->setText(t(532));
    ui->mnuSave->setText(t(536));
    ui->mnuOpen->setText(t(528));
    if (mnuImport) mnuImport->setText(t(1852));
    if (mnuImportBooks) mnuImportBooks->setText(t(2962));
    if (mnuTemplate) mnuTemplate->setText(t(1854));
    ui->mnuReturn->setText(t(498));
    ui->mnuReturnSearch->setText(t(558));
    ui->mnuExit->setText(t(328));
    ui->mnuView->setTitle(t(460));
    ui->mnuDefinition->setText(t(334));
    ui->mnuReport->setText(t(540));
    if (mnuTrend) mnuTrend->setText(t(2056));
    ui->mnuLanguage->setTitle(t(500));
    ui->mnuEnglish->setText("English");
    ui->mnuFrench->setText(QString::fromUtf8("Français"));
    ui->mnuHelp->setTitle(t(298));
    ui->mnuContents->setText(t(562));
    ui->mnuTechnical->setText(t(564));
    ui->mnuAbout->setText(t(380));
}

void frmMyValues::subLoadToolbarToolTip() {
    const struct {
        QAction* action;
        int id;
    } tools[] = {{ui->tbNew, 940},     {ui->tbOpen, 942},    {ui->tbSave, 944},
                 {ui->tbDelete, 946},  {ui->tbCompare, 948}, {ui->tbClear, 950}};
    for (const auto& tool : tools) {
        // The text names the button for assistive technology as well.
        tool.action->setText(qs(Txt(tool.id)));
        tool.action->setToolTip(qs(Txt(tool.id)));
    }
    ui->btnBack->setToolTip(qs(Txt(352)));
    if (tbTrend) {
        tbTrend->setText(qs(Txt(2058)));
        tbTrend->setToolTip(qs(Txt(2058)));
    }
}

void frmMyValues::subFillYears() {
    const bool changed = mblnDataChanged;
    ui->cboYear->clear();
    // The edition's years, earliest first; the latest is chosen.
    const Edition& edition = CurrentEdition();
    for (int slot = kEditionSlots - 1; slot >= 0; --slot) ui->cboYear->addItem(QString::number(edition.Year(slot)));
    ui->cboYear->setCurrentIndex(kEditionSlots - 1);
    ui->cboYear->setEditText(QString::number(edition.latest));
    mblnDataChanged = changed;
}

void frmMyValues::subSwitchLanguage(int language) {
    gintLanguage = static_cast<std::int16_t>(language);
    navigator().LanguageChanged();
}

void frmMyValues::subLanguageChanged() {
    const bool changed = mblnDataChanged;
    subLoadCaptions();
    subLoadToolbarToolTip();
    for (Field f : ValueFields()) RegroupAmount(ValueBox(f));
    mblnDataChanged = changed;
}

// ---------------------------------------------------------------- the record

RecordTexts frmMyValues::fncRecordFromControls() const {
    RecordTexts r;
    r[Field::FirmName] = ss(ui->txtFirmName->text());
    r[Field::Year] = ss(ui->cboYear->currentText());
    r[Field::NAICS] = ss(ui->lblNAICS->text());
    for (Field f : ValueFields()) r[f] = ss(ValueBox(f)->text());
    return r;
}

void frmMyValues::subWriteValues(const RecordTexts& record) {
    for (Field f : ValueFields()) {
        QLineEdit* box = ValueBox(f);
        const QString text = qs(record[f]);
        if (box->text() != text) box->setText(text);
    }
}

void frmMyValues::subCalculateSubTotals() {
    RecordTexts r = fncRecordFromControls();
    if (!zorva::subCalculateSubTotals(r)) {
        MsgBox(Txt(kMsgNumberOutOfRange));
        return;
    }
    subWriteValues(r);
}

bool frmMyValues::fncCheckNumericField(QLineEdit* box) {
    NumberTextResult n = CheckNumericField(ss(box->text()));
    if (!n.ok) {
        MsgBox(Txt(kMsgNumberOutOfRange));
        box->setFocus();
        box->selectAll();
        return false;
    }
    // The number text form is numeric under every locale: "." is the
    // program's own decimal mark, not the desktop's.
    if (box->text() != qs(n.text)) box->setText(qs(n.text));
    return true;
}

bool frmMyValues::fncFinishEditing() {
    for (Field f : ValueFields()) {
        if (IsComputed(f)) continue;
        if (!fncCheckNumericField(ValueBox(f))) return false;
    }
    RecordTexts r = fncRecordFromControls();
    if (!zorva::subCalculateSubTotals(r)) {
        MsgBox(Txt(kMsgNumberOutOfRange));
        return false;
    }
    subWriteValues(r);
    // Whatever a box holds now is a number that a statement can carry.
    for (Field f : ValueFields())
        if (!ParseNumber(r[f])) {
            MsgBox(Txt(kMsgPleaseEnterNumber));
            ValueBox(f)->setFocus();
            ValueBox(f)->selectAll();
            return false;
        }
    return true;
}

void frmMyValues::subInitializeValues() {
    RecordTexts r = fncRecordFromControls();
    InitializeValues(r, gintLanguage);
    ui->txtFirmName->setText(qs(r[Field::FirmName]));
    ui->lblIndustry->clear();
    ui->lblNAICS->clear();
    subWriteValues(r);
    mblnDataChanged = false;
}

void frmMyValues::subSetAllValuesToZero() {
    if (!values::ClearAll(*this)) return;
    ui->txtCash->setFocus();
    ui->txtCash->selectAll();
}

void frmMyValues::subShowDefinition(Field f) {
    const LineItemDefinition d = Definition(f, gintLanguage);
    MsgBox(d.body, MsgButtons::OK, MsgIcon::Information, d.title);
}

// ---------------------------------------------------------------- typing

bool frmMyValues::fncKeyPress(QLineEdit* box, int keyCode) {
    const std::string text = ss(box->text());
    const int selStart = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    const int selLength = box->hasSelectedText() ? static_cast<int>(box->selectedText().size()) : 0;
    const KeyDecision d = subHandleKeyPressDecision(keyCode, text, static_cast<size_t>(selStart),
                                                    static_cast<size_t>(selLength), SystemNumberLocale());
    switch (d.action) {
    case KeyAction::Accept:
        if (d.key == keyCode) return false;  // the box inserts it itself
        box->insert(QString(QChar(d.key)));  // the desktop's decimal comma, as a point
        return true;
    case KeyAction::Refuse:
        MsgBox(Txt(d.messageId));
        box->setFocus();
        box->selectAll();
        return true;
    case KeyAction::Enter: {
        box->setText(qs(d.text));
        subCalculateSubTotals();
        ValueBox(NextFieldOnEnter(fieldOf(box)))->setFocus(Qt::TabFocusReason);
        return true;
    }
    case KeyAction::Minus:
        box->setText(qs(d.text));
        box->setFocus();
        box->end(false);
        return true;
    }
    return true;
}

void frmMyValues::subPaste(QLineEdit* box, const QString& pasted) {
    const QString original = box->text();
    QString text = original;
    int cursor = box->cursorPosition();
    int selStart = box->hasSelectedText() ? box->selectionStart() : cursor;
    int selLength = box->hasSelectedText() ? static_cast<int>(box->selectedText().size()) : 0;
    const NumberLocale locale = SystemNumberLocale();
    for (QChar c : pasted.trimmed()) {
        const int code = c.unicode();
        KeyDecision d;
        if (code == kKeyEnter || code == '\n' || code == kKeyBackspace) {
            d.action = KeyAction::Refuse;
            d.messageId = kMsgPleaseEnterNumber;
        } else {
            d = subHandleKeyPressDecision(code, ss(text), static_cast<size_t>(selStart),
                                          static_cast<size_t>(selLength), locale);
        }
        if (d.action == KeyAction::Refuse || d.action == KeyAction::Enter) {
            MsgBox(Txt(d.messageId ? d.messageId : kMsgPleaseEnterNumber));
            if (box->text() != original) box->setText(original);
            box->setFocus();
            box->selectAll();
            return;
        }
        if (d.action == KeyAction::Minus) {
            text = qs(d.text);
            cursor = static_cast<int>(text.size());
        } else {
            text.remove(selStart, selLength);
            text.insert(selStart, QChar(d.key));
            cursor = selStart + 1;
        }
        selStart = cursor;
        selLength = 0;
    }
    box->setText(text);
    box->setCursorPosition(cursor);
}

bool frmMyValues::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box || !box->property("field").isValid()) return ScreenBase::eventFilter(watched, event);
    const Field field = fieldOf(box);
    const bool computed = IsComputed(field);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::ShiftModifier) {
            subShowDefinition(field);  // the label's definition, from the keyboard
            return true;
        }
        if (computed) {
            if (enter) ValueBox(NextFieldOnEnter(field))->setFocus(Qt::TabFocusReason);
            return enter;
        }
        if (key->matches(QKeySequence::Paste)) {
            subPaste(box, QGuiApplication::clipboard()->text());
            return true;
        }
        if (enter) return fncKeyPress(box, kKeyEnter);
        if (key->key() == Qt::Key_Backspace) return false;
        const QString text = key->text();
        if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;  // navigation, editing and shortcuts
        return fncKeyPress(box, text.at(0).unicode());
    }
    case QEvent::ContextMenu: {
        if (computed) return false;
        // The standard menu, with Paste going through the key filter.
        QMenu* menu = box->createStandardContextMenu();
        if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
            disconnect(paste, &QAction::triggered, nullptr, nullptr);
            connect(paste, &QAction::triggered, this,
                    [this, box] { subPaste(box, QGuiApplication::clipboard()->text()); });
        }
        menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        delete menu;
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
            if (!computed && event->type() == QEvent::MouseButtonRelease)
                subPaste(box, QGuiApplication::clipboard()->text(QClipboard::Selection));
            return true;
        }
        return false;
    case QEvent::FocusIn:
        QTimer::singleShot(0, box, [box] {
            if (box->hasFocus()) box->selectAll();
        });
        return false;
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the box, not the window or into a menu.
        if (computed || mblnChecking || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        mblnChecking = true;
        if (fncCheckNumericField(box)) subCalculateSubTotals();
        mblnChecking = false;
        return false;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------- the store

bool frmMyValues::subSave_Firm_Record(bool blnSkipWarningMessages) {
    return values::IsSaved(values::Save(*this, gcnUser, blnSkipWarningMessages));
}

void frmMyValues::subDelete_Firm_Record() { values::Delete(*this, gcnUser, gintLanguage); }

values::NewResult frmMyValues::subStart_New_Firm_Record() {
    const values::NewResult result = values::StartNew(*this, gcnUser);
    if (result == values::NewResult::Done) {
        ui->txtFirmName->setFocus();
        ui->txtFirmName->setCursorPosition(0);
        ui->txtFirmName->selectAll();
    }
    return result;
}

void frmMyValues::subOpen_Existing_Firm_Record() { values::OpenExisting(*this, gcnUser); }

void frmMyValues::subShowStoredRecord(const RecordTexts& record) {
    if (ui->cboYear->count() == 0) subFillYears();
    ui->cboYear->setEditText(qs(record[Field::Year]));
    subWriteValues(record);
    subLoadCaptions();  // the industry chosen now on the search screen
    ui->txtFirmName->setText(qs(record[Field::FirmName]));
    mblnDataChanged = false;
}

void frmMyValues::subImport_Statement() { values::ImportStatement(*this, gcnUser); }

void frmMyValues::subImport_Books() { values::ImportBooks(*this, gcnUser); }

void frmMyValues::subOpen_Statement_Template() {
    // The template of the application folder, opened by the desktop's program for it.
    const std::string path = AppFile("statement-template.xlsx");
    std::string error;
    if (!services().processes || !services().processes->start("xdg-open", {path}, &error))
        MsgBox(Txt(1858) + path + (error.empty() ? "" : " (" + error + ")"), MsgButtons::OK, MsgIcon::Exclamation);
}

void frmMyValues::subReturn(bool toSearch) {
    if (!values::MayReturn(*this, gcnUser)) return;
    hide();
    if (toSearch) {
        gblnKeepValues = false;
        navigator().ShowSearch(Navigator::SearchEntry::AsLeft);
    } else {
        navigator().ShowMenu();
    }
}

// ---------------------------------------------------------------- comparison

void frmMyValues::subView_Comparison_Report() {
    QCoreApplication::processEvents();
    values::Compare(*this);
}

void frmMyValues::subView_Trend_Report() {
    QCoreApplication::processEvents();
    values::Trend(*this);
}

// ---------------------------------------------------------------- the record holder

void frmMyValues::ShowRecord(const RecordTexts& record) {
    // The amounts, then the name and the year when they differ (an import
    // brings its own).
    subWriteValues(record);
    if (ss(ui->txtFirmName->text()) != record[Field::FirmName]) ui->txtFirmName->setText(qs(record[Field::FirmName]));
    if (!record[Field::Year].empty() && ss(ui->cboYear->currentText()) != record[Field::Year])
        ui->cboYear->setEditText(qs(record[Field::Year]));
}

void frmMyValues::Clear() { subInitializeValues(); }

} // namespace zorva
