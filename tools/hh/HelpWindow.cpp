#include "HelpWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace hh {

namespace {

constexpr int kTopicRole = Qt::UserRole;
constexpr int kHeadingRole = Qt::UserRole + 1;
constexpr int kSnippetRole = Qt::UserRole + 2;

// A search result: the topic's title in bold, the words around the match below it.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        opt.text.clear();
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const QRect r = option.rect.adjusted(4, 2, -4, -2);
        QFont bold = option.font;
        bold.setBold(true);
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(bold);
        const int titleHeight = QFontMetrics(bold).height();
        painter->drawText(r.adjusted(0, 0, 0, -(r.height() - titleHeight)), Qt::AlignLeft | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->setFont(option.font);
        if (!selected) painter->setPen(option.palette.color(QPalette::PlaceholderText));
        painter->drawText(r.adjusted(0, titleHeight, 0, 0), Qt::AlignLeft | Qt::TextWordWrap,
                          index.data(kSnippetRole).toString());
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int width = std::max(80, option.rect.width() > 0 ? option.rect.width() - 8 : 240);
        QFont bold = option.font;
        bold.setBold(true);
        const QRect snippet = QFontMetrics(option.font).boundingRect(QRect(0, 0, width, 1000), Qt::TextWordWrap,
                                                                      index.data(kSnippetRole).toString());
        return QSize(width, QFontMetrics(bold).height() + snippet.height() + 6);
    }
};

// The topic text: pictures come from the help file by number.
class TopicBrowser : public QTextBrowser {
public:
    explicit TopicBrowser(const HelpFile& file, QWidget* parent) : QTextBrowser(parent), file_(file) {}
    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() == QLatin1String("helpimg")) {
            QImage picture;
            picture.loadFromData(file_.picture(name.path().toInt()));
            return picture;
        }
        return QTextBrowser::loadResource(type, name);
    }
private:
    const HelpFile& file_;
};

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("HelpWindow"));

    bar_ = addToolBar(QString());
    bar_->setObjectName(QStringLiteral("navigation"));
    bar_->setMovable(false);
    backAction_ = bar_->addAction(QString(), this, [this] {
        if (back_.isEmpty()) return;
        forward_.append(Place{file_.path(), current_, -1});
        goTo(back_.takeLast());
    });
    backAction_->setObjectName(QStringLiteral("actBack"));
    backAction_->setShortcuts({QKeySequence::Back, QKeySequence(Qt::Key_Backspace)});
    forwardAction_ = bar_->addAction(QString(), this, [this] {
        if (forward_.isEmpty()) return;
        back_.append(Place{file_.path(), current_, -1});
        goTo(forward_.takeLast());
    });
    forwardAction_->setObjectName(QStringLiteral("actForward"));
    forwardAction_->setShortcut(QKeySequence::Forward);
    bar_->addSeparator();
    zoomInAction_ = bar_->addAction(QString(), this, [this] { browser_->zoomIn(2); });
    zoomInAction_->setObjectName(QStringLiteral("actZoomIn"));
    zoomInAction_->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOutAction_ = bar_->addAction(QString(), this, [this] { browser_->zoomOut(2); });
    zoomOutAction_->setObjectName(QStringLiteral("actZoomOut"));
    zoomOutAction_->setShortcut(QKeySequence::ZoomOut);
    bar_->addSeparator();
    printAction_ = bar_->addAction(QString(), this, [this] { printTopic(); });
    printAction_->setObjectName(QStringLiteral("actPrint"));
    printAction_->setShortcut(QKeySequence::Print);
    pdfAction_ = bar_->addAction(QString(), this, [this] { savePdfAsked(); });
    pdfAction_->setObjectName(QStringLiteral("actSavePdf"));
    pdfAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    addAction(backAction_);
    addAction(forwardAction_);

    auto* splitter = new QSplitter(this);
    side_ = new QTabWidget(splitter);
    side_->setObjectName(QStringLiteral("tabsSide"));

    contents_ = new QTreeWidget(side_);
    contents_->setObjectName(QStringLiteral("treeContents"));
    contents_->setHeaderHidden(true);
    connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        showTopic(item->data(0, kTopicRole).toInt(), item->data(0, kHeadingRole).toInt());
    });
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        showTopic(item->data(0, kTopicRole).toInt(), item->data(0, kHeadingRole).toInt());
    });
    side_->addTab(contents_, QString());

    auto* findPage = new QWidget(side_);
    auto* findLayout = new QVBoxLayout(findPage);
    findLabel_ = new QLabel(findPage);
    findBox_ = new QLineEdit(findPage);
    findBox_->setObjectName(QStringLiteral("txtFind"));
    findBox_->setClearButtonEnabled(true);
    findLabel_->setBuddy(findBox_);
    findButton_ = new QPushButton(findPage);
    findButton_->setObjectName(QStringLiteral("cmdFind"));
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findBox_, 1);
    findRow->addWidget(findButton_);
    resultsLabel_ = new QLabel(findPage);
    results_ = new QListWidget(findPage);
    results_->setObjectName(QStringLiteral("lstResults"));
    results_->setWordWrap(true);
    results_->setAlternatingRowColors(true);
    results_->setItemDelegate(new ResultDelegate(results_));
    results_->setUniformItemSizes(false);
    resultsLabel_->setBuddy(results_);
    findLayout->addWidget(findLabel_);
    findLayout->addLayout(findRow);
    findLayout->addWidget(resultsLabel_);
    findLayout->addWidget(results_, 1);
    side_->addTab(findPage, QString());
    connect(findBox_, &QLineEdit::returnPressed, this, [this] { find(findBox_->text()); });
    connect(findButton_, &QPushButton::clicked, this, [this] { find(findBox_->text()); });
    auto open = [this](QListWidgetItem* item) {
        if (item && item->data(kTopicRole).isValid()) showTopic(item->data(kTopicRole).toInt(), -1, findBox_->text());
    };
    connect(results_, &QListWidget::itemClicked, this, open);
    connect(results_, &QListWidget::itemActivated, this, open);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    note_ = new QLabel(right);
    note_->setObjectName(QStringLiteral("lblNote"));
    note_->setStyleSheet(QStringLiteral("background:#fff4c2;padding:4px"));
    note_->setWordWrap(true);
    note_->hide();
    browser_ = new TopicBrowser(file_, right);
    browser_->setObjectName(QStringLiteral("txtTopic"));
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    rightLayout->addWidget(note_);
    rightLayout->addWidget(browser_, 1);

    splitter->addWidget(side_);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 700});
    setCentralWidget(splitter);

    auto* findShortcut = new QAction(this);
    findShortcut->setShortcut(QKeySequence::Find);
    connect(findShortcut, &QAction::triggered, this, [this] {
        side_->setCurrentIndex(1);
        findBox_->setFocus();
        findBox_->selectAll();
    });
    addAction(findShortcut);
    auto* close = new QAction(this);
    close->setShortcuts({QKeySequence::Close, QKeySequence(Qt::Key_Escape)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    resize(1000, 680);
    loadCaptions();
    updateHistoryActions();
}

void HelpWindow::loadCaptions() {
    const Lang l = file_.language();
    bar_->setWindowTitle(Tr(l, Text::Navigation));
    backAction_->setText(Tr(l, Text::Back));
    forwardAction_->setText(Tr(l, Text::Forward));
    zoomInAction_->setText(Tr(l, Text::ZoomIn));
    zoomOutAction_->setText(Tr(l, Text::ZoomOut));
    printAction_->setText(Tr(l, Text::Print));
    pdfAction_->setText(Tr(l, Text::SavePdf));
    side_->setTabText(0, Tr(l, Text::Contents));
    side_->setTabText(1, Tr(l, Text::FindButton));
    contents_->setAccessibleName(Tr(l, Text::Contents));
    findLabel_->setText(Tr(l, Text::Find));
    findButton_->setText(Tr(l, Text::FindButton));
    resultsLabel_->setText(Tr(l, Text::Results));
    results_->setAccessibleName(Tr(l, Text::Results));
    browser_->setAccessibleName(Tr(l, Text::HelpText));
    findBox_->setAccessibleName(QString(Tr(l, Text::Find)).remove('&').remove(':').trimmed());
}

bool HelpWindow::openFile(const QString& path, int topic) {
    if (path.isEmpty()) {
        error_ = Tr(file_.language(), Text::NoFile);
        return false;
    }
    HelpFile next;
    if (!next.load(path)) {
        error_ = next.errorText();
        return false;
    }
    file_ = next;
    error_.clear();
    loadCaptions();
    buildContents();
    results_->clear();
    note_->hide();
    const Topic* t = topic >= 0 ? file_.topic(topic) : nullptr;
    if (topic >= 0 && !t) {
        showTopic(file_.topics().first().id);
        note_->setText(Tr(file_.language(), Text::UnknownTopic).arg(topic));
        note_->show();
    } else {
        showTopic(t ? t->id : file_.topics().first().id);
    }
    return true;
}

void HelpWindow::buildContents() {
    contents_->clear();
    QMap<int, QTreeWidgetItem*> items;
    for (const Topic& t : file_.topics()) {
        QTreeWidgetItem* parent = items.value(t.parent);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
        item->setText(0, t.title);
        item->setData(0, kTopicRole, t.id);
        item->setData(0, kHeadingRole, -1);
        for (int h = 0; h < t.headings.size(); ++h) {
            auto* sub = new QTreeWidgetItem(item);
            sub->setText(0, t.headings[h]);
            sub->setData(0, kTopicRole, t.id);
            sub->setData(0, kHeadingRole, h);
        }
        items.insert(t.id, item);
    }
}

void HelpWindow::selectInContents(int topic, int heading) {
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        if ((*it)->data(0, kTopicRole).toInt() == topic && (*it)->data(0, kHeadingRole).toInt() == heading) {
            contents_->setCurrentItem(*it);
            contents_->scrollToItem(*it);
            return;
        }
    }
}

bool HelpWindow::showTopic(int id, int heading, const QString& highlight) {
    const Topic* t = file_.topic(id);
    if (!t) return false;
    if (current_ != 0 && (id != current_ || heading >= 0)) {
        back_.append(Place{file_.path(), current_, -1});
        forward_.clear();
    }
    current_ = id;
    browser_->setHtml(file_.documentHtml(*t));
    note_->hide();
    setWindowTitle(file_.title() + QStringLiteral(" - ") + t->title);
    selectInContents(id, heading);

    QList<QTextEdit::ExtraSelection> marks;
    if (!highlight.trimmed().isEmpty()) {
        QTextCharFormat yellow;
        yellow.setBackground(QColor(255, 230, 80));
        for (const auto& [at, length] : HelpFile::Occurrences(browser_->document()->toPlainText(), highlight)) {
            QTextCursor c(browser_->document());
            c.setPosition(at);
            c.setPosition(at + length, QTextCursor::KeepAnchor);
            marks.append({c, yellow});
        }
    }
    browser_->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.first().cursor;
        first.clearSelection();
        browser_->setTextCursor(first);
        browser_->ensureCursorVisible();
    } else if (heading >= 0) {
        int n = 0;
        for (QTextBlock b = browser_->document()->begin(); b.isValid(); b = b.next()) {
            if (b.blockFormat().headingLevel() != 2) continue;
            if (n++ == heading) {
                browser_->setTextCursor(QTextCursor(b));
                const qreal top = browser_->document()->documentLayout()->blockBoundingRect(b).top();
                browser_->verticalScrollBar()->setValue(int(top));
                break;
            }
        }
    }
    updateHistoryActions();
    return true;
}

void HelpWindow::goTo(const Place& place, const QString& highlight) {
    if (place.path != file_.path()) {
        HelpFile next;
        if (!next.load(place.path)) {
            QMessageBox::warning(this, windowTitle(), next.errorText());
            return;
        }
        file_ = next;
        loadCaptions();
        buildContents();
        results_->clear();
    }
    const int saved = current_;
    current_ = 0;  // no history entry for a move through the history
    if (!showTopic(place.topic, place.heading, highlight)) current_ = saved;
    updateHistoryActions();
}

void HelpWindow::followLink(const QUrl& url) {
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")) {
        QDesktopServices::openUrl(url);
        return;
    }
    int topic = -1;
    if (url.fragment().startsWith(QLatin1String("topic-"))) topic = url.fragment().mid(6).toInt();
    if (url.path().isEmpty()) {
        if (topic >= 0) showTopic(topic);
        return;
    }
    const QString path = QFileInfo(file_.path()).dir().filePath(url.path());
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(file_.path()).absoluteFilePath()) {
        showTopic(topic >= 0 ? topic : file_.topics().first().id);
        return;
    }
    const Place here{file_.path(), current_, -1};
    HelpFile probe;
    if (!probe.load(path)) {
        QMessageBox::warning(this, windowTitle(), probe.errorText());
        return;
    }
    current_ = 0;
    openFile(path, topic);
    back_.append(here);
    forward_.clear();
    updateHistoryActions();
}

void HelpWindow::updateHistoryActions() {
    backAction_->setEnabled(!back_.isEmpty());
    forwardAction_->setEnabled(!forward_.isEmpty());
}

int HelpWindow::find(const QString& query) {
    side_->setCurrentIndex(1);
    if (findBox_->text() != query) findBox_->setText(query);
    results_->clear();
    const QList<Match> matches = file_.find(query);
    for (const Match& m : matches) {
        auto* item = new QListWidgetItem(m.title, results_);
        item->setData(kTopicRole, m.topic);
        item->setData(kSnippetRole, m.snippet);
        item->setToolTip(m.snippet);
    }
    if (matches.isEmpty() && !query.trimmed().isEmpty()) {
        auto* item = new QListWidgetItem(Tr(file_.language(), Text::NoMatch).arg(query.trimmed()), results_);
        item->setFlags(Qt::ItemIsEnabled);
    }
    resultsLabel_->setText(Tr(file_.language(), Text::Results) +
                           (query.trimmed().isEmpty() ? QString()
                                                      : QStringLiteral(" — ") + Tr(file_.language(), Text::Matches)
                                                                                     .arg(matches.size())));
    return int(matches.size());
}

bool HelpWindow::saveTopicAsPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(windowTitle());
    QTextDocument* doc = browser_->document()->clone(this);
    QFont font = doc->defaultFont();
    font.setStyleStrategy(QFont::PreferNoShaping);
    doc->setDefaultFont(font);
    doc->print(&printer);
    delete doc;
    const QFileInfo written(path);
    return written.exists() && written.size() > 0;
}

void HelpWindow::savePdfAsked() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const Topic* t = file_.topic(current_);
    QString name = t ? t->title : file_.title();
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral(" "));
    const QString path = QFileDialog::getSaveFileName(this, Tr(file_.language(), Text::SavePdf),
                                                      QDir(folder).filePath(name + QStringLiteral(".pdf")),
                                                      Tr(file_.language(), Text::PdfFilter));
    if (path.isEmpty()) return;
    if (!saveTopicAsPdf(path)) QMessageBox::warning(this, windowTitle(), Tr(file_.language(), Text::PdfFailed).arg(path));
}

void HelpWindow::printTopic() {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        QMessageBox::information(this, windowTitle(), Tr(file_.language(), Text::NoPrinter));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) browser_->document()->print(&printer);
}

} // namespace hh
