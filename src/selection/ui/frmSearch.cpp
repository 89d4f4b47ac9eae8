#include "selection/ui/frmSearch.h"

#include "core/Edition.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/Text.h"
#include "ui/Announce.h"
#include "ui/QtServices.h"
#include "core/Navigator.h"
#include "core/modMain.h"
#include "selection/IndustrySearch.h"
#include "selection/WordSearch.h"
#include "ui_frmSearch.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <unordered_map>

namespace zorva {

// The key word results as the grid shows them: code, title, sector and, for
// an industry found beyond the titles that contain the word, how it was found.
class RecordsetModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setHits(std::vector<KeywordHit> hits, QStringList headings, int language) {
        beginResetModel();
        hits_ = std::move(hits);
        headings_ = std::move(headings);
        language_ = language;
        endResetModel();
    }
    std::string text(int row, int column) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
        const KeywordHit& hit = hits_[static_cast<std::size_t>(row)];
        switch (column) {
        case 0: return hit.row.naics;
        case 1: return hit.row.title;
        case 2: return hit.row.sector;
        default: return FoundByText(hit.found, language_);
        }
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(hits_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() || hits_.empty() ? 0 : static_cast<int>(headings_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        // The full text also as a tool tip: the title column is narrow.
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole) return {};
        return qs(text(index.row(), index.column()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Horizontal && section < headings_.size()) return headings_[section];
        return orientation == Qt::Vertical ? QVariant(section + 1) : QVariant();
    }

private:
    std::vector<KeywordHit> hits_;
    QStringList headings_;
    int language_ = 0;
};

namespace {
// Data of a tree node: its key, and whether it is an industry (image 3).
constexpr int kKeyRole = Qt::UserRole;
constexpr int kIndustryRole = Qt::UserRole + 1;
// Column widths of the key word grid, in twips, and twips per pixel.
constexpr int kGridWidths[] = {630, 2500, 2500};
constexpr int kTwipsPerPixel = 15;

bool IsEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

frmSearch::frmSearch() : ui(new Ui::frmSearch) {
    ui->setupUi(this);
    SetMainScreen(true);

    mKeywordResults = new RecordsetModel(ui->adodcKeywordResults);
    ui->dbgridKeywordResults->setModel(mKeywordResults);
    ui->dbgridKeywordResults->verticalHeader()->hide();
    ui->dbgridKeywordResults->horizontalHeader()->setHighlightSections(false);
    // Long titles scroll sideways rather than being cut short.
    ui->TreeView1->header()->setStretchLastSection(false);
    ui->TreeView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    const QStyle* st = style();
    ui->btnBack->setIcon(st->standardIcon(QStyle::SP_ArrowBack));
    ui->Image1->setPixmap(st->standardIcon(QStyle::SP_FileIcon).pixmap(24, 24));

    // Every way of choosing an option counts (click, keys, accessibility).
    auto onChecked = [this](QAbstractButton* option, void (frmSearch::*handler)()) {
        connect(option, &QAbstractButton::toggled, this, [this, handler](bool on) {
            if (on) (this->*handler)();
        });
    };
    onChecked(ui->optSearchNaics, &frmSearch::optSearchNaics_Click);
    onChecked(ui->optKeyword, &frmSearch::optKeyword_Click);
    onChecked(ui->optNAICScode, &frmSearch::optNAICScode_Click);
    onChecked(ui->optNAICSTitle, &frmSearch::optNAICSTitle_Click);
    for (QAbstractButton* option : {static_cast<QAbstractButton*>(ui->optRatios),
                                    static_cast<QAbstractButton*>(ui->optBalanceSheet)}) {
        onChecked(option, &frmSearch::optDataType_Click);
        connect(option, &QAbstractButton::clicked, this, &frmSearch::optDataType_Click);
    }

    connect(ui->cmdKeyword, &QPushButton::clicked, this, &frmSearch::cmdKeyword_Click);
    connect(ui->cmdContinue, &QPushButton::clicked, this, &frmSearch::cmdContinue_Click);
    connect(ui->btnBack, &QPushButton::clicked, this, &frmSearch::mnuReturn_Click);
    // A choice made with the mouse or the keyboard (activated covers both).
    connect(ui->cboNAICScodes, qOverload<int>(&QComboBox::activated), this, &frmSearch::cboNAICScodes_Click);
    connect(ui->cboNAICSTitle, qOverload<int>(&QComboBox::activated), this, &frmSearch::cboNAICSTitle_Click);
    // The current node or row is the one a click or an arrow key reached.
    connect(ui->TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* node) { TreeView1_Click(node); });
    connect(ui->TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { TreeView1_Click(node); });
    connect(ui->TreeView1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* node) { TreeView1_DblClick(node); });
    connect(ui->dbgridKeywordResults->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) { dbgridKeywordResults_Click(index); });
    connect(ui->dbgridKeywordResults, &QTableView::clicked, this, &frmSearch::dbgridKeywordResults_Click);
    connect(ui->dbgridKeywordResults, &QTableView::doubleClicked, this, &frmSearch::dbgridKeywordResults_DblClick);
    for (QWidget* w : {static_cast<QWidget*>(ui->TreeView1), static_cast<QWidget*>(ui->dbgridKeywordResults),
                       static_cast<QWidget*>(ui->cboNAICScodes), static_cast<QWidget*>(ui->cboNAICSTitle)})
        w->installEventFilter(this);

    connect(ui->mnuReturn, &QAction::triggered, this, &frmSearch::mnuReturn_Click);
    connect(ui->mnuExit, &QAction::triggered, this, &frmSearch::mnuExit_Click);
    connect(ui->mnuDefinition, &QAction::triggered, this, &frmSearch::mnuDefinition_Click);
    connect(ui->mnuEnglish, &QAction::triggered, this, &frmSearch::mnuEnglish_Click);
    connect(ui->mnuFrench, &QAction::triggered, this, &frmSearch::mnuFrench_Click);
    connect(ui->mnuContents, &QAction::triggered, this, &frmSearch::mnuContents_Click);
    connect(ui->mnuTechnical, &QAction::triggered, this, &frmSearch::mnuTechnical_Click);
    connect(ui->mnuAbout, &QAction::triggered, this, &frmSearch::mnuAbout_Click);
}

frmSearch::~frmSearch() { delete ui; }

// ------------------------------------------------------------------ life cycle

void frmSearch::Form_Load() {
    // Big enough for the captions of either language with all four search
    // frames in their place, so that neither a language switch nor a change of
    // search mode has to grow the window; then in the middle of the display.
    auto measure = [this](int language) {
        subApplyCaptions(language);
        // Layouts that were never laid out keep stale hints: ask afresh.
        for (QWidget* w : findChildren<QWidget*>()) w->updateGeometry();
        for (QLayout* layout : findChildren<QLayout*>()) layout->invalidate();
        return sizeHint();
    };
    const QSize other = measure(gintLanguage != 0 ? 0 : 1);
    resize(measure(gintLanguage).expandedTo(other));
    CentreOnScreen();
    mblnRefreshOnActivate = true;
}

void frmSearch::Form_Activate() {
    if (mblnRefreshOnActivate && mblnHiddenSinceActivation) {
        subLoadCaptions();
        subInitialize();
        subLoadTreeView();
    } else {
        mblnRefreshOnActivate = true;
        // The choice may have changed meanwhile (a statement opened from the
        // list and compared with the industry it was saved under).
        subShowChoice();
    }
    mblnHiddenSinceActivation = false;
}

void frmSearch::hideEvent(QHideEvent* e) {
    ScreenBase::hideEvent(e);
    if (!isVisible()) mblnHiddenSinceActivation = true;
}

void frmSearch::Form_Unload(bool& cancel) { AskExitQuestion(cancel); }

// -------------------------------------------------------------------- captions

void frmSearch::subLoadCaptions() { subApplyCaptions(gintLanguage); }

void frmSearch::subApplyCaptions(int language) {
    auto t = [language](int id) { return qs(Txt(id, language)); };
    setWindowTitle(t(1002) + qs(gstrDatasetCaption) + qs(EditionText(1004, language)));

    ui->fraSearch->setTitle(t(404));
    ui->optSearchNaics->setText(t(518));
    ui->optKeyword->setText(t(38));
    ui->optNAICScode->setText(t(50));
    ui->optNAICSTitle->setText(t(506));
    ui->fraDatatype->setTitle(t(396));
    ui->optRatios->setText(t(422));
    ui->optBalanceSheet->setText(t(424));
    ui->fraOutput->setTitle(t(508));
    ui->optReport->setText(t(510));
    ui->lblCompare->setText(t(512));
    ui->optCompareNew->setText(t(514));
    ui->optCompareExisting->setText(t(516));
    ui->fraTreeView->setTitle(t(518));
    ui->lblDirections->setText(t(520));
    ui->fraKeyword->setTitle(t(38));
    ui->cmdKeyword->setText(t(44));
    ui->fraNAICSTitle->setTitle(t(506));
    ui->fraNAICScode->setTitle(t(50));
    ui->lblIndustryInfo->setText(t(522));
    ui->cmdContinue->setText(t(18));
    ui->btnBack->setToolTip(t(352));

    ui->mnuFile->setTitle(t(496));
    ui->mnuReturn->setText(t(498));
    ui->mnuExit->setText(t(328));
    ui->mnuView->setTitle(t(460));
    ui->mnuDefinition->setText(t(334));
    ui->mnuLanguage->setTitle(t(500));
    ui->mnuHelp->setTitle(t(298));
    ui->mnuContents->setText(t(562));
    ui->mnuTechnical->setText(t(564));
    ui->mnuAbout->setText(t(380));

    // Names for assistive technology, for the controls without a caption.
    ui->TreeView1->setAccessibleName(t(518));
    ui->TreeView1->setAccessibleDescription(t(520));
    ui->Image1->setAccessibleName(t(520));
    ui->txtKeyword->setAccessibleName(t(38));
    ui->dbgridKeywordResults->setAccessibleName(t(1602));
    ui->cboNAICScodes->setAccessibleName(t(50));
    ui->cboNAICSTitle->setAccessibleName(t(506));
    ui->txtIndName->setAccessibleName(t(522));
    ui->btnBack->setAccessibleName(t(352));
    ui->fraSelected->setAccessibleName(t(522));
}

// ---------------------------------------------------------------- fresh state

void frmSearch::subInitialize() {
    ui->TreeView1->setVisible(true);
    ui->fraKeyword->hide();
    ui->fraNAICScode->hide();
    ui->fraNAICSTitle->hide();
    ui->optSearchNaics->setChecked(true);  // tree mode when it was not already
    ui->txtKeyword->clear();
    ui->adodcKeywordResults->hide();
    ui->dbgridKeywordResults->hide();
    subClearChoice();
}

void frmSearch::subShowFrame(QWidget* frame) {
    for (QWidget* f : {static_cast<QWidget*>(ui->fraTreeView), static_cast<QWidget*>(ui->fraKeyword),
                       static_cast<QWidget*>(ui->fraNAICScode), static_cast<QWidget*>(ui->fraNAICSTitle)})
        if (f != frame) f->hide();
    frame->show();
}

// --------------------------------------------------------------- search modes

void frmSearch::optSearchNaics_Click() {
    subLoadTreeView();
    subShowFrame(ui->fraTreeView);
    subClearChoice();
    ui->cmdKeyword->setDefault(false);
    ui->cmdContinue->setDefault(true);
}

void frmSearch::optKeyword_Click() {
    subShowFrame(ui->fraKeyword);
    subClearChoice();
    ui->txtKeyword->clear();
    ui->txtKeyword->setFocus();
    ui->cmdContinue->setDefault(false);
    ui->cmdKeyword->setDefault(true);
}

void frmSearch::optNAICScode_Click() {
    subShowFrame(ui->fraNAICScode);
    subClearChoice();
    subPopulateNAICScodes();
    ui->cmdContinue->setDefault(false);
    ui->cmdKeyword->setDefault(false);
}

void frmSearch::optNAICSTitle_Click() {
    subShowFrame(ui->fraNAICSTitle);
    subClearChoice();
    ui->cmdContinue->setDefault(false);
    ui->cmdKeyword->setDefault(false);
    subPopulateNAICSTitles();
}

void frmSearch::optDataType_Click() { ui->optReport->setChecked(true); }

// ------------------------------------------------------------ the chosen industry

void frmSearch::subClearChoice() {
    CurrentChoice().industry = {};
    ui->lblCategory->clear();
    ui->lblNAICSCode->clear();
    ui->txtIndName->clear();
    ui->lblHiddenNaics->clear();
}

namespace {
// The industry chosen, said to a screen reader (code and title) when it
// changes, once typing or moving through a list has paused.
void AnnounceChoice(QWidget* screen, const IndustryChoice& chosen) {
    static std::string said;
    const std::string now = chosen.empty() ? std::string() : chosen.naics + "\t" + chosen.title;
    if (now == said) return;
    said = now;
    if (chosen.empty() || chosen.title.empty()) return;
    auto* timer = screen->findChild<QTimer*>("tmrAnnounceChoice");
    if (!timer) {
        timer = new QTimer(screen);
        timer->setObjectName("tmrAnnounceChoice");
        timer->setSingleShot(true);
        timer->setInterval(300);
        QObject::connect(timer, &QTimer::timeout, screen,
                         [screen, timer] { Announce(screen, timer->property("text").toString()); });
    }
    timer->setProperty("text", qs(Txt(522) + " " + chosen.naics + " " + chosen.title));
    timer->start();
}
} // namespace

void frmSearch::subSetChoice(const std::string& sector, const std::string& code, const std::string& title) {
    CurrentChoice().industry = {code, title, sector};
    ui->lblCategory->setText(qs(SectorCaption(sector, gintLanguage)));
    ui->lblNAICSCode->setText(qs(CodeCaption(code, gintLanguage)));
    ui->txtIndName->setPlainText(qs(title));
    ui->lblHiddenNaics->setText(qs(code));
    AnnounceChoice(this, CurrentChoice().industry);
}

bool frmSearch::fncChosen() const { return !CurrentChoice().industry.empty(); }

std::string frmSearch::ChosenNaics() const { return CurrentChoice().industry.naics; }
std::string frmSearch::ChosenTitle() const { return CurrentChoice().industry.title; }

void frmSearch::ChooseCode(const std::string& code) {
    CurrentChoice().industry = {code, {}, {}};
    RefreshChoiceLanguage();
    subShowChoice();
}

void frmSearch::subShowChoice() {
    const IndustryChoice& chosen = CurrentChoice().industry;
    ui->lblCategory->setText(chosen.empty() ? QString() : qs(SectorCaption(chosen.sector, gintLanguage)));
    ui->lblNAICSCode->setText(chosen.empty() ? QString() : qs(CodeCaption(chosen.naics, gintLanguage)));
    ui->txtIndName->setPlainText(qs(chosen.title));
    ui->lblHiddenNaics->setText(qs(chosen.naics));
    AnnounceChoice(this, chosen);
}

// ------------------------------------------------------------------ the lists

void frmSearch::subPopulateNAICScodes() {
    QStringList codes;
    for (const auto& code : ReadCodeList(gcnIndustry, gstrDataTable)) codes << qs(code);
    ui->cboNAICScodes->clear();
    ui->cboNAICScodes->addItems(codes);
    ui->cboNAICScodes->setCurrentIndex(-1);  // nothing chosen yet
}

void frmSearch::subPopulateNAICSTitles() {
    QStringList titles;
    for (const auto& title : ReadTitleList(gcnIndustry, gstrDataTable, gstrNaicsTable, gintLanguage))
        titles << qs(title);
    ui->cboNAICSTitle->clear();
    ui->cboNAICSTitle->addItems(titles);
    ui->cboNAICSTitle->setCurrentIndex(-1);
    // The open list is as wide as its longest title.
    ui->cboNAICSTitle->view()->setMinimumWidth(ui->cboNAICSTitle->view()->sizeHintForColumn(0) + 24);
}

void frmSearch::cboNAICScodes_Click() {
    const QString code = ui->cboNAICScodes->currentText();
    if (!code.isEmpty()) ChooseCode(ss(code));
}

void frmSearch::cboNAICSTitle_Click() {
    const QString title = ui->cboNAICSTitle->currentText();
    if (title.isEmpty()) return;
    const auto found = LookupByTitle(gcnIndustry, gstrDataTable, gstrNaicsTable, ss(title), gintLanguage);
    if (found) subSetChoice(found->sector, found->naics, found->title);
}

// ------------------------------------------------------------------- key word

void frmSearch::cmdKeyword_Click() {
    auto hits = KeywordSearchAll(gcnIndustry, gstrDataTable, gstrNaicsTable, ss(ui->txtKeyword->text()), gintLanguage);
    const bool found = !hits.empty();
    // The key word statement's own headings, then how each row was found.
    const QStringList headings = gintLanguage != 0
                                     ? QStringList{"SCIAN", "Description", "Secteur", qs(Txt(2454))}
                                     : QStringList{"NAICS", "Description", "Sector", qs(Txt(2454))};
    mKeywordResults->setHits(std::move(hits), headings, gintLanguage);
    if (found) {
        subFormatGrid();
        ui->dbgridKeywordResults->show();
    } else {
        MsgBox(Txt(990));
    }
}

void frmSearch::subFormatGrid() {
    // The code column at its width; the title and sector columns at least at
    // theirs, sharing whatever width the grid has beyond them.
    QHeaderView* header = ui->dbgridKeywordResults->horizontalHeader();
    header->setMinimumSectionSize(kGridWidths[0] / kTwipsPerPixel);
    const int columns = std::min(mKeywordResults->columnCount(), 3);
    for (int c = 0; c < columns; ++c) {
        ui->dbgridKeywordResults->setColumnWidth(c, kGridWidths[c] / kTwipsPerPixel);
        header->setSectionResizeMode(c, c == 0 ? QHeaderView::Fixed : QHeaderView::Stretch);
    }
    // How a row was found: as wide as its words.
    if (mKeywordResults->columnCount() > 3) header->setSectionResizeMode(3, QHeaderView::ResizeToContents);
}

void frmSearch::dbgridKeywordResults_Click(const QModelIndex& index) {
    if (!index.isValid()) return;
    const int row = index.row();
    subSetChoice(mKeywordResults->text(row, 2), mKeywordResults->text(row, 0), mKeywordResults->text(row, 1));
    // What is chosen is what shows as selected.
    if (!ui->dbgridKeywordResults->selectionModel()->isRowSelected(row, QModelIndex()))
        ui->dbgridKeywordResults->selectRow(row);
}

void frmSearch::dbgridKeywordResults_DblClick(const QModelIndex& index) {
    if (!index.isValid()) return;
    dbgridKeywordResults_Click(index);
    cmdContinue_Click();
}

// ------------------------------------------------------------------- the tree

void frmSearch::subLoadTreeView() {
    const auto nodes = LoadSectorTree(gcnIndustry, gstrDataTable, gstrNaicsTable, gintLanguage);

    const QStyle* st = style();
    QIcon folder;
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Active})
        folder.addPixmap(st->standardIcon(QStyle::SP_DirClosedIcon).pixmap(16, 16), mode);
    folder.addPixmap(st->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16), QIcon::Selected);
    const QIcon paper = st->standardIcon(QStyle::SP_FileIcon);

    QTreeWidget* tree = ui->TreeView1;
    tree->setUpdatesEnabled(false);
    {
        const QSignalBlocker quiet(tree);  // clearing is no choice
        tree->clear();
    }
    std::unordered_map<std::string, QTreeWidgetItem*> byKey;
    byKey.reserve(nodes.size());
    QList<QTreeWidgetItem*> top;
    for (const auto& node : nodes) {
        QTreeWidgetItem* item;
        if (node.parent.empty()) {
            item = new QTreeWidgetItem();
            top << item;
        } else {
            item = new QTreeWidgetItem(byKey.at(node.parent));
        }
        item->setText(0, qs(node.text));
        item->setIcon(0, node.industry ? paper : folder);
        item->setData(0, kKeyRole, qs(node.key));
        item->setData(0, kIndustryRole, node.industry);
        byKey.emplace(node.key, item);
    }
    tree->addTopLevelItems(top);
    // The sectors show at once under the top folders.
    for (QTreeWidgetItem* item : top) item->setExpanded(true);
    tree->setUpdatesEnabled(true);
}

bool frmSearch::fncIsIndustry(const QTreeWidgetItem* node) const {
    return node && node->data(0, kIndustryRole).toBool();
}

void frmSearch::TreeView1_Click(QTreeWidgetItem* node) {
    // A folder changes nothing.
    if (!fncIsIndustry(node)) return;
    const std::string code = CodeOfNodeKey(ss(node->data(0, kKeyRole).toString()));
    subSetChoice(node->parent() ? ss(node->parent()->text(0)) : std::string(), code, ss(node->text(0)));
}

void frmSearch::TreeView1_DblClick(QTreeWidgetItem* node) {
    // On a folder the tree itself opens or closes it.
    if (!fncIsIndustry(node)) return;
    TreeView1_Click(node);
    cmdContinue_Click();
}

// ---------------------------------------------------------------- the keyboard

bool frmSearch::eventFilter(QObject* watched, QEvent* event) {
    if (!IsEnter(event)) return ScreenBase::eventFilter(watched, event);
    if (watched == ui->TreeView1) {
        QTreeWidgetItem* node = ui->TreeView1->currentItem();
        if (fncIsIndustry(node)) {
            TreeView1_DblClick(node);
        } else if (node) {
            node->setExpanded(!node->isExpanded());
        }
        return true;
    }
    if (watched == ui->dbgridKeywordResults) {
        const QModelIndex current = ui->dbgridKeywordResults->currentIndex();
        if (!current.isValid()) return false;  // the search's own Enter
        dbgridKeywordResults_DblClick(current);
        return true;
    }
    // A closed list with a chosen industry: Enter goes on with it.
    auto* list = qobject_cast<QComboBox*>(watched);
    if (list && fncChosen() && !list->currentText().isEmpty()) {
        cmdContinue_Click();
        return true;
    }
    return ScreenBase::eventFilter(watched, event);
}

void frmSearch::keyPressEvent(QKeyEvent* e) {
    // Enter that no control used runs the default button of the search mode.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        for (QPushButton* button : {ui->cmdContinue, ui->cmdKeyword})
            if (button->isDefault() && button->isVisible() && button->isEnabled()) {
                button->click();
                return;
            }
    }
    ScreenBase::keyPressEvent(e);
}

// ------------------------------------------------------------------- Continue

void frmSearch::cmdContinue_Click() {
    if (ss(ui->lblNAICSCode->text()).empty()) {
        MsgBox(Txt(992), MsgButtons::OK, MsgIcon::Exclamation);
    } else if (ui->optReport->isChecked()) {
        const std::string report = ui->optRatios->isChecked() ? "rat" : "bal";
        mblnRefreshOnActivate = false;
        navigator().ShowReport({report, CurrentEdition().latest, ChosenNaics(), {}});
        // Back from the viewer (Return or its close box): this window is
        // the active one again, as a window manager would make it.
        if (isVisible()) activateWindow();
    } else {
        mblnRefreshOnActivate = false;
        if (ui->optCompareNew->isChecked()) {
            navigator().ShowValues();
            hide();
        } else if (!navigator().ShowOpenExisting()) {
            MsgBox(Txt(980));
        }
    }
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
}

// ---------------------------------------------------------------------- menus

void frmSearch::mnuReturn_Click() {
    hide();
    mblnRefreshOnActivate = true;
    navigator().ShowMenu();
}

void frmSearch::EnterFromMainMenu() {
    mblnRefreshOnActivate = true;
    Show();
}

void frmSearch::mnuExit_Click() { close(); }

void frmSearch::mnuDefinition_Click() {
    if (!fncChosen()) {
        MsgBox(Txt(556), MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    mblnRefreshOnActivate = false;
    gsubOpenIndustryDef(ChosenNaics());
}

void frmSearch::mnuAbout_Click() {
    mblnRefreshOnActivate = false;
    navigator().ShowAbout();
}

void frmSearch::mnuContents_Click() { gsubLaunchHelpTopic("Contents", HelpTopic::kSearch); }
void frmSearch::mnuTechnical_Click() { gsubLaunchHelpFile("Tech"); }

void frmSearch::mnuEnglish_Click() { subSwitchLanguage(0); }
void frmSearch::mnuFrench_Click() { subSwitchLanguage(1); }

void frmSearch::subSwitchLanguage(int language) {
    gintLanguage = static_cast<std::int16_t>(language);
    navigator().LanguageChanged();
}

void frmSearch::subLanguageChanged() {
    subLoadTreeView();
    subPopulateNAICSTitles();
    // The key word results were found in the other language's titles.
    ui->dbgridKeywordResults->hide();
    ui->txtKeyword->clear();
    subShowChoice();
    subLoadCaptions();
}

} // namespace zorva
