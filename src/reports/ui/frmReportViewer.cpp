#include "reports/ui/frmReportViewer.h"

#include "ui_frmReportViewer.h"

#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportExport.h"
#include "reports/render/ReportViewerLogic.h"
#include "reports/ui/ReadingStructure.h"
#include "reports/ui/ReportPageView.h"
#include "ui/Announce.h"
#include "ui/HelpKey.h"
#include "ui/QtServices.h"
#include "ui/ScreenBase.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QSettings>
#include <QStackedWidget>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace zorva {

namespace {
// The hourglass while a report is laid out or exported, put back however we leave.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// Where the user's last choice of view is kept.
const char* const kViewKey = "ReportViewer/View";
QSettings Settings() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "zorva", "zorva"); }

constexpr double kZoomStep = 1.25, kZoomMin = 0.5, kZoomMax = 4;

// A caption without its underlined letter's mark, for accessible names.
QString Plain(QString caption) { return caption.remove(QRegularExpression(QStringLiteral("&(?!&)"))); }

QString WithKey(const std::string& text, const QKeySequence& keys) {
    return qs(text) + " (" + keys.toString(QKeySequence::NativeText) + ")";
}
} // namespace

frmReportViewer::frmReportViewer(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmReportViewer>()) {
    ui->setupUi(this);
    InstallHelpKey(this, HelpTopic::kReportViewer);
    setModal(true);

    views_ = new QStackedWidget(this);
    views_->setObjectName("CRViewer1");
    reading_ = new QTextBrowser(views_);
    reading_->setObjectName("txtReading");
    reading_->setOpenLinks(false);
    // A caret that the arrow and page keys move (and screen readers follow).
    reading_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    reading_->setStyleSheet(QStringLiteral("QTextBrowser { border: 3px solid transparent; background: white; }"
                                           "QTextBrowser:focus { border: 3px solid palette(highlight); }"));
    // A report is laid out once for the view's width: the scroll bar is
    // always there (a report is longer than the window) and the frame of the
    // style sheet is applied before the report comes.
    reading_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reading_->ensurePolished();
    // Lines a little narrower than the view: Qt's tables of 100 % overflow
    // their width by a pixel, which would bring a horizontal scroll bar.
    reading_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    reading_->setWordWrapMode(QTextOption::WordWrap);
    reading_->setLineWrapColumnOrWidth(std::max(50, reading_->viewport()->width() - 2));
    reading_->viewport()->installEventFilter(this);
    // Its headings, tables and charts as objects of their own for a screen reader.
    structure_ = new ReadingStructure(reading_);
    reading_->installEventFilter(this);
    pages_ = new ReportPageView(views_);
    pages_->setObjectName("picPages");
    views_->addWidget(reading_);
    views_->addWidget(pages_);
    views_->setGeometry(7, 49, 729, 505);

    auto* viewGroup = new QButtonGroup(this);
    viewGroup->setExclusive(true);
    viewGroup->addButton(ui->optReading);
    viewGroup->addButton(ui->optPages);
    connect(ui->optReading, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on) return;
        ShowView(View::Reading);
        Settings().setValue(kViewKey, "reading");
    });
    connect(ui->optPages, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on) return;
        ShowView(View::Pages);
        Settings().setValue(kViewKey, "pages");
    });

    connect(ui->btnBack, &QPushButton::clicked, this, &frmReportViewer::btnBack_Click);
    connect(ui->btnPrint, &QPushButton::clicked, this, &frmReportViewer::btnPrint_Click);
    connect(ui->btnPdf, &QPushButton::clicked, this, &frmReportViewer::btnPdf_Click);
    connect(ui->btnHtml, &QPushButton::clicked, this, &frmReportViewer::btnHtml_Click);
    connect(ui->btnFind, &QPushButton::clicked, this, &frmReportViewer::btnFind_Click);
    // Export: a menu of the two file types.
    mnuExport_ = new QMenu(this);
    mnuExport_->setObjectName("mnuExport");
    QAction* csv = mnuExport_->addAction(QString());
    csv->setObjectName("mnuExportCsv");
    connect(csv, &QAction::triggered, this, [this] { mnuExport_Click(".csv"); });
    QAction* xlsx = mnuExport_->addAction(QString());
    xlsx->setObjectName("mnuExportXlsx");
    connect(xlsx, &QAction::triggered, this, [this] { mnuExport_Click(".xlsx"); });
    ui->btnExport->setMenu(mnuExport_);
    connect(ui->btnZoomIn, &QToolButton::clicked, this, [this] { SetZoom(zoom_ * kZoomStep); });
    connect(ui->btnZoomOut, &QToolButton::clicked, this, [this] { SetZoom(zoom_ / kZoomStep); });

    // The find bar.
    ui->fraFind->hide();
    ui->txtFind->installEventFilter(this);
    connect(ui->txtFind, &QLineEdit::textChanged, this, [this](const QString& text) { Find(text); });
    connect(ui->btnFindNext, &QPushButton::clicked, this, &frmReportViewer::FindNext);
    connect(ui->btnFindPrevious, &QPushButton::clicked, this, &frmReportViewer::FindPrevious);
    connect(ui->btnFindClose, &QToolButton::clicked, this, &frmReportViewer::closeFind);

    // The keys of the window.
    auto key = [this](const QList<QKeySequence>& keys, const char* name, auto slot) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    key({QKeySequence::Find}, "actFind", [this] { btnFind_Click(); });
    key({QKeySequence::FindNext}, "actFindNext", [this] { FindNext(); });
    key({QKeySequence::FindPrevious}, "actFindPrevious", [this] { FindPrevious(); });
    key({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}, "actZoomIn",
        [this] { SetZoom(zoom_ * kZoomStep); });
    key({QKeySequence::ZoomOut}, "actZoomOut", [this] { SetZoom(zoom_ / kZoomStep); });
    key({QKeySequence(Qt::CTRL | Qt::Key_0)}, "actZoomReset", [this] { SetZoom(1); });
    key({QKeySequence::Print}, "actPrint", [this] { btnPrint_Click(); });
    key({QKeySequence::Copy}, "actCopy", [this] { copySelection(); });

    // Tab: the buttons in their order, the find bar, then the report.
    QWidget* order[] = {ui->optReading, ui->optPages, ui->btnZoomOut, ui->btnZoomIn, ui->btnFind,
                        ui->btnPrint,   ui->btnPdf,   ui->btnHtml,    ui->btnExport, ui->btnBack,
                        ui->txtFind,    ui->btnFindPrevious, ui->btnFindNext, ui->btnFindClose,
                        reading_,       pages_};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    const QSignalBlocker a(ui->optReading), b(ui->optPages);
    (SavedView() == View::Pages ? ui->optPages : ui->optReading)->setChecked(true);
    views_->setCurrentWidget(SavedView() == View::Pages ? static_cast<QWidget*>(pages_) : reading_);
    subLoadCaptions();
}

frmReportViewer::~frmReportViewer() {
    // The views let go of the documents before they are deleted.
    reading_->setDocument(nullptr);
    pages_->setDocument(nullptr);
}

void frmReportViewer::ShowPrepared(const report::PreparedReport& prepared) {
    auto* viewer = new frmReportViewer(QApplication::activeWindow());
    viewer->setWindowTitle(qs(prepared.caption));
    {
        WaitCursor wait;
        viewer->SetReport(prepared.rendered);
    }
    ClampToScreen(*viewer);
    viewer->exec();
    delete viewer;
}

std::function<void()>& frmReportViewer::AfterReturn() {
    static std::function<void()> hook;
    return hook;
}

std::function<std::string(QWidget*)>& frmReportViewer::PdfPathChooser() {
    static std::function<std::string(QWidget*)> chooser = [](QWidget* parent) {
        return ss(QFileDialog::getSaveFileName(parent, Plain(qs(Txt(2526))), QString(), qs(Txt(1438))));
    };
    return chooser;
}

std::function<std::string(QWidget*)>& frmReportViewer::HtmlPathChooser() {
    static std::function<std::string(QWidget*)> chooser = [](QWidget* parent) {
        return ss(QFileDialog::getSaveFileName(parent, Plain(qs(Txt(2528))), QString(), qs(Txt(2546))));
    };
    return chooser;
}

std::function<std::string(QWidget*, const std::string&)>& frmReportViewer::ExportPathChooser() {
    static std::function<std::string(QWidget*, const std::string&)> chooser = [](QWidget* parent,
                                                                              const std::string& filter) {
        return ss(QFileDialog::getSaveFileName(parent, qs(Txt(1802)), QString(), qs(filter)));
    };
    return chooser;
}

frmReportViewer::View frmReportViewer::SavedView() {
    return Settings().value(kViewKey).toString() == "pages" ? View::Pages : View::Reading;
}

frmReportViewer::View frmReportViewer::CurrentView() const {
    return views_->currentWidget() == pages_ ? View::Pages : View::Reading;
}

void frmReportViewer::SetReport(const report::Rendered& rendered) {
    rendered_ = rendered;
    title_ = rendered.title;
    found_.clear();
    current_ = -1;
    reading_->setDocument(nullptr);
    pages_->setDocument(nullptr);
    readingDocument_.reset();
    pageDocument_.reset();
    ShowView(CurrentView());
    // The report has the keyboard when the viewer opens: reading starts there.
    views_->currentWidget()->setFocus();
}

QTextDocument* frmReportViewer::pageDocument() {
    if (!pageDocument_) {
        WaitCursor wait;
        pageDocument_ = report::MakeDocument(rendered_);
    }
    return pageDocument_.get();
}

const QTextDocument* frmReportViewer::Document() { return pageDocument(); }

void frmReportViewer::ShowView(View view) {
    if (view == View::Pages) {
        if (pages_->document() != pageDocument()) pages_->setDocument(pageDocument());
        pages_->setZoom(zoom_);
        views_->setCurrentWidget(pages_);
    } else {
        if (!readingDocument_) {
            readingDocument_ = report::MakeReadingDocument(rendered_);
            readingScale_ = 1;
            report::ScaleDocument(*readingDocument_, zoom_);
            readingScale_ = zoom_;
            reading_->setDocument(readingDocument_.get());
            structure_->Rebuild(rendered_.images);
        }
        views_->setCurrentWidget(reading_);
    }
    {
        const QSignalBlocker a(ui->optReading), b(ui->optPages);
        ui->optReading->setChecked(view == View::Reading);
        ui->optPages->setChecked(view == View::Pages);
    }
    // The places found are looked for again in the view now shown.
    if (ui->fraFind->isVisible()) Find(ui->txtFind->text());
}

void frmReportViewer::SetZoom(double zoom) {
    zoom_ = std::clamp(zoom, kZoomMin, kZoomMax);
    if (std::fabs(zoom_ - 1) < 0.01) zoom_ = 1;
    if (readingDocument_ && zoom_ != readingScale_) {
        report::ScaleDocument(*readingDocument_, zoom_ / readingScale_);
        readingScale_ = zoom_;
    }
    pages_->setZoom(zoom_);
    std::string said = Txt(3400);
    said.replace(said.find("{N}"), 3, std::to_string(static_cast<int>(std::lround(zoom_ * 100))));
    Announce(this, qs(said));
}

int frmReportViewer::Find(const QString& text) {
    QTextDocument* doc = CurrentView() == View::Pages ? pageDocument() : readingDocument_.get();
    found_ = doc ? report::FindAll(*doc, text) : std::vector<QTextCursor>{};
    current_ = found_.empty() ? -1 : 0;
    showMatches();
    return static_cast<int>(found_.size());
}

void frmReportViewer::FindNext() {
    if (found_.empty()) {
        if (!ui->txtFind->text().isEmpty()) Find(ui->txtFind->text());
        return;
    }
    current_ = (current_ + 1) % static_cast<int>(found_.size());
    showMatches();
}

void frmReportViewer::FindPrevious() {
    if (found_.empty()) {
        if (!ui->txtFind->text().isEmpty()) Find(ui->txtFind->text());
        return;
    }
    const int n = static_cast<int>(found_.size());
    current_ = (current_ + n - 1) % n;
    showMatches();
}

void frmReportViewer::showMatches() {
    if (found_.empty()) {
        ui->lblMatches->setText(ui->txtFind->text().trimmed().isEmpty() ? QString() : qs(Txt(2542)));
    } else {
        std::string text = Txt(2540);
        text.replace(text.find("{N}"), 3, std::to_string(current_ + 1));
        text.replace(text.find("{M}"), 3, std::to_string(found_.size()));
        ui->lblMatches->setText(qs(text));
    }
    ui->lblMatches->setAccessibleName(ui->lblMatches->text());
    Announce(this, ui->lblMatches->text());
    if (CurrentView() == View::Pages) {
        pages_->setHighlights(found_, current_);
        if (current_ >= 0) pages_->setTextCursor(found_[static_cast<size_t>(current_)]);
        return;
    }
    QList<QTextEdit::ExtraSelection> marks;
    for (size_t i = 0; i < found_.size(); ++i) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = found_[i];
        mark.format.setBackground(static_cast<int>(i) == current_ ? QColor(0xFF, 0x96, 0x32) : QColor(0xFF, 0xE8, 0x73));
        mark.format.setForeground(Qt::black);
        marks.append(mark);
    }
    reading_->setExtraSelections(marks);
    // The caret on the place found: it is scrolled into view, selected for
    // Ctrl+C, and a screen reader reads its line.
    if (current_ >= 0) {
        reading_->setTextCursor(found_[static_cast<size_t>(current_)]);
        reading_->ensureCursorVisible();
    }
}

void frmReportViewer::btnFind_Click() {
    const bool wasVisible = ui->fraFind->isVisible();
    ui->fraFind->show();
    subArrange();
    ui->txtFind->setFocus();
    ui->txtFind->selectAll();
    if (!wasVisible && !ui->txtFind->text().isEmpty()) Find(ui->txtFind->text());
}

void frmReportViewer::closeFind() {
    ui->fraFind->hide();
    found_.clear();
    current_ = -1;
    reading_->setExtraSelections({});
    pages_->setHighlights({}, -1);
    subArrange();
    views_->currentWidget()->setFocus();
}

void frmReportViewer::copySelection() {
    if (CurrentView() == View::Pages) pages_->copy();
    else reading_->copy();
}

bool frmReportViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == reading_->viewport() && event->type() == QEvent::Resize) {
        const int width = std::max(50, static_cast<QResizeEvent*>(event)->size().width() - 2);
        if (reading_->lineWrapColumnOrWidth() != width) reading_->setLineWrapColumnOrWidth(width);
    }
    if (watched == reading_ && event->type() == QEvent::KeyPress && structure_->HandleKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == ui->txtFind && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier) FindPrevious();
            else FindNext();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            closeFind();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmReportViewer::subLoadCaptions() {
    // The Return button carries its word, with the arrow beside it.
    ui->btnBack->setText(qs(Txt(352)));
    ui->btnBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    ui->btnBack->setToolTip(qs(Txt(352)));
    ui->btnBack->setAccessibleName(qs(Txt(352)));
    struct Caption {
        QAbstractButton* button;
        int id;
        QKeySequence keys;
    };
    const Caption captions[] = {
        {ui->optReading, 2520, {}},  {ui->optPages, 2522, {}},
        {ui->btnFind, 2532, QKeySequence::Find},
        {ui->btnPrint, 2524, QKeySequence::Print}, {ui->btnPdf, 2526, {}},
        {ui->btnHtml, 2528, {}},     {ui->btnExport, 2530, {}},
        {ui->btnFindPrevious, 2536, QKeySequence::FindPrevious}, {ui->btnFindNext, 2538, QKeySequence::FindNext},
    };
    for (const Caption& c : captions) {
        c.button->setText(qs(Txt(c.id)));
        c.button->setAccessibleName(Plain(qs(Txt(c.id))));
        c.button->setToolTip(c.keys.isEmpty() ? QString() : WithKey(ss(Plain(qs(Txt(c.id)))), c.keys));
    }
    ui->btnFindClose->setToolTip(qs(Txt(2544)) + " (" + QKeySequence(Qt::Key_Escape).toString(QKeySequence::NativeText) + ")");
    ui->btnFindClose->setAccessibleName(qs(Txt(2544)));
    ui->lblFind->setText(qs(Txt(2534)));
    ui->txtFind->setAccessibleName(qs(Txt(2534)).remove(':').trimmed());
    mnuExport_->setAccessibleName(qs(Txt(1802)));
    mnuExport_->actions()[0]->setText(qs(Txt(1804)));
    mnuExport_->actions()[1]->setText(qs(Txt(1806)));
    ui->btnZoomIn->setToolTip(WithKey(Txt(926), QKeySequence::ZoomIn));
    ui->btnZoomIn->setAccessibleName(qs(Txt(926)));
    ui->btnZoomOut->setToolTip(WithKey(Txt(928), QKeySequence::ZoomOut));
    ui->btnZoomOut->setAccessibleName(qs(Txt(928)));
    views_->setAccessibleName(qs(Txt(1402)));
    reading_->setAccessibleName(qs(Txt(2548)));
    reading_->setAccessibleDescription(qs(Txt(3402)));
    pages_->setAccessibleName(qs(Txt(2550)));
    pages_->setAccessibleDescription(qs(Txt(2552)));
    if (!found_.empty() || ui->fraFind->isVisible()) showMatches();
    subArrange();
}

void frmReportViewer::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) subLoadCaptions();
    QDialog::changeEvent(event);
}

void frmReportViewer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    subArrange();
}

void frmReportViewer::subArrange() {
    if (windowState() & Qt::WindowMinimized) return;
    constexpr int kMargin = 7, kGap = 4, kGroupGap = 10, kRow = 33;
    ui->btnBack->resize(ui->btnBack->sizeHint().width(), kRow);
    const int t = report::kTwipsPerPixel;
    auto g = report::ViewerResize(width() * t, height() * t, kMargin * t, ui->btnBack->width() * t);
    const int viewWidth = g.viewerWidth / t;
    ui->btnBack->move(g.backLeft / t, 8);

    // The buttons left to right, in groups, on as many rows as they need.
    struct Item {
        QWidget* widget;
        bool groupEnds;
    };
    const Item items[] = {{ui->optReading, false}, {ui->optPages, true}, {ui->btnZoomOut, false},
                          {ui->btnZoomIn, true},   {ui->btnFind, true},  {ui->btnPrint, false},
                          {ui->btnPdf, false},     {ui->btnHtml, false}, {ui->btnExport, true}};
    int x = kMargin, y = 8, limit = ui->btnBack->x() - kGap;
    for (const Item& item : items) {
        const int w = std::max(item.widget->sizeHint().width(), kRow);
        if (x + w > limit && x > kMargin) {
            x = kMargin;
            y += kRow + kGap;
            limit = kMargin + viewWidth;
        }
        item.widget->setGeometry(x, y, w, kRow);
        x += w + (item.groupEnds ? kGroupGap : kGap);
    }
    y += kRow + kGap + 2;

    if (ui->fraFind->isVisible()) {
        ui->fraFind->setGeometry(kMargin, y, viewWidth, kRow);
        const int close = kRow;
        int fx = 0;
        const int label = ui->lblFind->sizeHint().width();
        ui->lblFind->setGeometry(fx, 0, label, kRow);
        fx += label + kGap;
        const int buttons = ui->btnFindPrevious->sizeHint().width() + ui->btnFindNext->sizeHint().width();
        std::string widest = Txt(2540);
        widest.replace(widest.find("{N}"), 3, "888");
        widest.replace(widest.find("{M}"), 3, "888");
        const int matches = std::max(ui->lblMatches->fontMetrics().horizontalAdvance(qs(Txt(2542))),
                                     ui->lblMatches->fontMetrics().horizontalAdvance(qs(widest))) + 2 * kGap;
        const int box = std::max(120, viewWidth - fx - buttons - matches - close - 4 * kGap);
        ui->txtFind->setGeometry(fx, 2, box, kRow - 4);
        fx += box + kGap;
        ui->btnFindPrevious->setGeometry(fx, 0, ui->btnFindPrevious->sizeHint().width(), kRow);
        fx += ui->btnFindPrevious->width() + kGap;
        ui->btnFindNext->setGeometry(fx, 0, ui->btnFindNext->sizeHint().width(), kRow);
        fx += ui->btnFindNext->width() + kGap;
        ui->lblMatches->setGeometry(fx, 0, matches, kRow);
        ui->btnFindClose->setGeometry(viewWidth - close, 0, close, kRow);
        y += kRow + kGap;
    }
    // The report reaches down to the window's bottom margin.
    views_->setGeometry(kMargin, y, viewWidth, std::max(0, height() - y - kMargin));
}

void frmReportViewer::btnBack_Click() {
    hide();
    done(QDialog::Accepted);
    if (AfterReturn()) AfterReturn()();
}

void frmReportViewer::reject() { btnBack_Click(); }

void frmReportViewer::keyPressEvent(QKeyEvent* event) {
    // No button is the dialog's default (a default button looks focused
    // whether it is or not): Enter returns from here, wherever it was pressed.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        btnBack_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmReportViewer::btnPrint_Click() {
    if (!services().printer || !services().printer->hasDefaultPrinter()) {
        MsgBox(Txt(920), MsgButtons::OK, MsgIcon::None);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    report::SetupReportPage(printer);
    printer.setDocName(qs(title_));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) report::PrintDocument(*pageDocument(), printer);
}

bool frmReportViewer::SaveAsPdf(const std::string& path) {
    std::string error;
    if (!report::WritePdf(*pageDocument(), path, title_, &error)) {
        MsgBox(Txt(930) + path + (error.empty() ? "" : " (" + error + ")"), MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void frmReportViewer::btnPdf_Click() {
    std::string path = PdfPathChooser() ? PdfPathChooser()(this) : std::string();
    if (path.empty()) return;
    if (path.size() < 4 || QString::fromStdString(path.substr(path.size() - 4)).toLower() != ".pdf") path += ".pdf";
    SaveAsPdf(path);
}

bool frmReportViewer::SaveAsHtml(const std::string& path) {
    std::string error;
    if (!report::WriteHtml(rendered_, path, &error)) {
        MsgBox(Txt(1812) + path + (error.empty() ? "" : " (" + error + ")"), MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void frmReportViewer::btnHtml_Click() {
    std::string path = HtmlPathChooser() ? HtmlPathChooser()(this) : std::string();
    if (path.empty()) return;
    const QString lower = QString::fromStdString(path).toLower();
    if (!lower.endsWith(".html") && !lower.endsWith(".htm")) path += ".html";
    SaveAsHtml(path);
}

bool frmReportViewer::Export(const std::string& path) {
    std::string error;
    bool ok = false;
    {
        WaitCursor wait;
        ok = report::WriteExport(rendered_, path, &error);
    }
    if (!ok) MsgBox(Txt(1812) + path + (error.empty() ? "" : " (" + error + ")"), MsgButtons::OK, MsgIcon::Exclamation);
    return ok;
}

void frmReportViewer::mnuExport_Click(const std::string& extension) {
    const int filterId = extension == ".csv" ? 1808 : 1810;
    std::string path = ExportPathChooser() ? ExportPathChooser()(this, Txt(filterId)) : std::string();
    if (path.empty()) return;
    if (path.size() < extension.size() ||
        QString::fromStdString(path.substr(path.size() - extension.size())).toLower() != qs(extension))
        path += extension;
    Export(path);
}

} // namespace zorva
