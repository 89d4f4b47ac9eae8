#pragma once
// One help file of the application folder, as built by zorva-helpbuild: an
// HTML file whose topics lie between the markers <!--topic:N:P--> and
// <!--/topic-->. Reading, the contents (topics and their headings) and the
// search over every topic; no widgets.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace hh {

// The viewer's two languages, taken from the file: "_Fre" or "_Eng" in its name,
// else the lang attribute of its html element.
enum class Lang { English, French };
Lang LanguageOf(const QString& path);

// The viewer's own texts.
enum class Text {
    WindowTitle, Contents, Find, FindButton, Results, Back, Forward, ZoomIn, ZoomOut, Print, SavePdf,
    HelpText, Navigation, Missing, Unreadable, NotHelp, NoFile, UnknownTopic, NoMatch, Matches, NoPrinter,
    PdfFailed, PdfSaved, PdfFilter,
};
QString Tr(Lang lang, Text text);

struct Topic {
    int id = 0;
    int parent = 0;  // 0: top of the contents
    QString title;
    QStringList headings;  // its level-2 headings, in order
    QString html;          // the topic's body; pictures as "helpimg:N"
};

struct Match {
    int topic = 0;          // topic id
    QString title;
    QString snippet;        // a few words around the first occurrence
};

class HelpFile {
public:
    enum class Error { None, Missing, Unreadable, NotHelp };

    // Reads the file; false (and error()) when it is missing, unreadable or
    // holds no topic.
    bool load(const QString& path);
    Error error() const { return error_; }
    QString errorText() const;  // in the file's language, naming the file

    const QString& path() const { return path_; }
    Lang language() const { return lang_; }
    const QString& title() const { return title_; }
    const QList<Topic>& topics() const { return topics_; }
    const Topic* topic(int id) const;
    // The topic as a whole HTML document, with the file's style sheet.
    QString documentHtml(const Topic& topic) const;
    // Picture N of the file (PNG or JPEG bytes).
    QByteArray picture(int n) const { return n >= 0 && n < pictures_.size() ? pictures_[n] : QByteArray(); }

    // The topics holding every word of the query, without regard to case or
    // accents; topics whose title holds the words come first.
    QList<Match> find(const QString& query) const;
    // Where the words of the query occur in a text: (position, length) pairs
    // in the text's own positions.
    static QList<QPair<int, int>> Occurrences(const QString& text, const QString& query);
    // The plain text of a topic as the viewer shows it.
    QString plainText(const Topic& topic) const;

private:
    QString path_;
    Lang lang_ = Lang::English;
    Error error_ = Error::None;
    QString title_;
    QString style_;
    QList<Topic> topics_;
    QList<QByteArray> pictures_;
    mutable QList<QString> plain_;  // plain text per topic, filled on the first search
};

// Case and accent folding that keeps every character in place, so that
// positions found in the folded text are positions in the original.
QString Fold(const QString& text);

} // namespace hh
