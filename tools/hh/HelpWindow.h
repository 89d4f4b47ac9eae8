#pragma once
// The help viewer's window: the contents of a help file on the left (topics
// and their headings) with a find box over every topic, the topic on the
// right, back and forward, zoom, print and save as PDF of the topic shown.
// Its title and buttons follow the language of the file.

#include "HelpFile.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace hh {

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Opens a help file at a topic (-1: its first topic). An unknown topic
    // opens the first one with a note. False, with errorText() in the file's
    // language, when the file cannot be shown.
    bool openFile(const QString& path, int topic = -1);
    QString errorText() const { return error_; }

    // Shows a topic of the open file; heading >= 0 scrolls to its heading of
    // that index. Words to highlight may be given (the find box's query).
    bool showTopic(int id, int heading = -1, const QString& highlight = QString());
    int currentTopic() const { return current_; }
    const HelpFile& file() const { return file_; }

    // The find box's search: fills the result list; the number of topics found.
    int find(const QString& query);
    // Writes the topic shown into a PDF file.
    bool saveTopicAsPdf(const QString& path);
    void printTopic();

    QTextBrowser* browser() const { return browser_; }
    QLineEdit* findBox() const { return findBox_; }
    QListWidget* results() const { return results_; }
    QTreeWidget* contents() const { return contents_; }
    QLabel* note() const { return note_; }

private:
    struct Place {
        QString path;
        int topic = 0;
        int heading = -1;
    };
    void buildContents();
    void loadCaptions();
    void goTo(const Place& place, const QString& highlight = QString());
    void followLink(const QUrl& url);
    void updateHistoryActions();
    void selectInContents(int topic, int heading);
    void savePdfAsked();

    HelpFile file_;
    int current_ = 0;
    QString error_;
    QList<Place> back_, forward_;

    QTabWidget* side_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QLabel* findLabel_ = nullptr;
    QLineEdit* findBox_ = nullptr;
    QPushButton* findButton_ = nullptr;
    QLabel* resultsLabel_ = nullptr;
    QListWidget* results_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QLabel* note_ = nullptr;
    QAction *backAction_ = nullptr, *forwardAction_ = nullptr, *zoomInAction_ = nullptr, *zoomOutAction_ = nullptr,
            *printAction_ = nullptr, *pdfAction_ = nullptr;
    class QToolBar* bar_ = nullptr;
};

} // namespace hh
