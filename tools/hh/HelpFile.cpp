#include "HelpFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>

namespace hh {

namespace {

QString plainOf(const QString& html) { return QTextDocumentFragment::fromHtml(html).toPlainText().simplified(); }

QStringList wordsOf(const QString& query) { return Fold(query).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts); }

} // namespace

Lang LanguageOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (name.contains("_Fre", Qt::CaseInsensitive)) return Lang::French;
    if (name.contains("_Eng", Qt::CaseInsensitive)) return Lang::English;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        const QString head = QString::fromUtf8(f.read(512));
        static const QRegularExpression lang(R"(<html[^>]*\blang="fr)", QRegularExpression::CaseInsensitiveOption);
        if (lang.match(head).hasMatch()) return Lang::French;
    }
    return Lang::English;
}

QString Tr(Lang lang, Text text) {
    const bool fr = lang == Lang::French;
    switch (text) {
    case Text::WindowTitle: return fr ? QStringLiteral("Aide de VELMO") : QStringLiteral("ZORVA Help");
    case Text::Contents: return fr ? QStringLiteral("Sommaire") : QStringLiteral("Contents");
    case Text::Find: return fr ? QStringLiteral("&Rechercher :") : QStringLiteral("&Find:");
    case Text::FindButton: return fr ? QStringLiteral("Rechercher") : QStringLiteral("Find");
    case Text::Results: return fr ? QStringLiteral("Résultats de la recherche") : QStringLiteral("Search results");
    case Text::Back: return fr ? QStringLiteral("Précédent") : QStringLiteral("Back");
    case Text::Forward: return fr ? QStringLiteral("Suivant") : QStringLiteral("Forward");
    case Text::ZoomIn: return fr ? QStringLiteral("Zoom avant") : QStringLiteral("Zoom in");
    case Text::ZoomOut: return fr ? QStringLiteral("Zoom arrière") : QStringLiteral("Zoom out");
    case Text::Print: return fr ? QStringLiteral("Imprimer") : QStringLiteral("Print");
    case Text::SavePdf: return fr ? QStringLiteral("Enregistrer en PDF") : QStringLiteral("Save as PDF");
    case Text::HelpText: return fr ? QStringLiteral("Texte de la rubrique") : QStringLiteral("Topic text");
    case Text::Navigation: return fr ? QStringLiteral("Navigation") : QStringLiteral("Navigation");
    case Text::Missing: return fr ? QStringLiteral("Le fichier d'aide est introuvable : %1")
                                  : QStringLiteral("The help file was not found: %1");
    case Text::Unreadable: return fr ? QStringLiteral("Le fichier d'aide ne peut pas être lu : %1")
                                     : QStringLiteral("The help file cannot be read: %1");
    case Text::NotHelp: return fr ? QStringLiteral("Ce fichier n'est pas un fichier d'aide de VELMO : %1")
                                  : QStringLiteral("This file is not a ZORVA help file: %1");
    case Text::NoFile: return fr ? QStringLiteral("Aucun fichier d'aide n'a été indiqué.")
                                 : QStringLiteral("No help file was named.");
    case Text::UnknownTopic: return fr ? QStringLiteral("La rubrique %1 n'existe pas dans ce fichier d'aide : voici la première page.")
                                       : QStringLiteral("Topic %1 is not in this help file: here is the first page.");
    case Text::NoMatch: return fr ? QStringLiteral("Aucune rubrique ne contient « %1 ».")
                                  : QStringLiteral("No topic contains \"%1\".");
    case Text::Matches: return fr ? QStringLiteral("%1 rubrique(s) trouvée(s)") : QStringLiteral("%1 topic(s) found");
    case Text::NoPrinter: return fr ? QStringLiteral("Aucune imprimante n'est connectée à votre ordinateur. Vous pouvez enregistrer la rubrique en PDF.")
                                    : QStringLiteral("There is no printer connected to your computer. You can save the topic as PDF instead.");
    case Text::PdfFailed: return fr ? QStringLiteral("Le fichier PDF n'a pas pu être enregistré : %1")
                                    : QStringLiteral("The PDF file could not be written: %1");
    case Text::PdfSaved: return fr ? QStringLiteral("Rubrique enregistrée dans %1") : QStringLiteral("Topic saved in %1");
    case Text::PdfFilter: return fr ? QStringLiteral("Fichiers PDF (*.pdf)") : QStringLiteral("PDF files (*.pdf)");
    }
    return {};
}

QString Fold(const QString& text) {
    QString out(text.size(), QChar(' '));
    for (int i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c.decompositionTag() != QChar::NoDecomposition || c.unicode() >= 0xC0) {
            const QString d = QString(c).normalized(QString::NormalizationForm_KD);
            if (!d.isEmpty()) c = d[0];
        }
        if (c == QChar(0x2019) || c == QChar(0x2018)) c = QChar('\'');
        out[i] = c.toLower();
    }
    return out;
}

bool HelpFile::load(const QString& path) {
    path_ = path;
    lang_ = LanguageOf(path);
    topics_.clear();
    pictures_.clear();
    plain_.clear();
    error_ = Error::None;
    QFileInfo info(path);
    if (!info.exists()) { error_ = Error::Missing; return false; }
    QFile f(path);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) { error_ = Error::Unreadable; return false; }
    QString text = QString::fromUtf8(f.readAll());

    static const QRegularExpression titleRe(R"(<title>(.*?)</title>)", QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression styleRe(R"(<style>(.*?)</style>)", QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression topicRe(R"(<!--topic:(\d+):(\d+)-->(.*?)<!--/topic-->)",
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression h1Re(R"(<h1[^>]*>(.*?)</h1>)", QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression h2Re(R"(<h2[^>]*>(.*?)</h2>)", QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression dataRe(R"(src="data:image/[a-z]+;base64,([A-Za-z0-9+/=]+)\")");

    title_ = plainOf(titleRe.match(text).captured(1));
    style_ = styleRe.match(text).captured(1);
    auto it = topicRe.globalMatch(text);
    while (it.hasNext()) {
        auto m = it.next();
        Topic t;
        t.id = m.captured(1).toInt();
        t.parent = m.captured(2).toInt();
        QString html = m.captured(3);
        // Pictures leave the text: the viewer asks for them by number.
        QString rewritten;
        int last = 0;
        auto pics = dataRe.globalMatch(html);
        while (pics.hasNext()) {
            auto p = pics.next();
            rewritten += html.mid(last, p.capturedStart() - last);
            rewritten += QStringLiteral("src=\"helpimg:%1\"").arg(pictures_.size());
            pictures_.append(QByteArray::fromBase64(p.captured(1).toLatin1()));
            last = p.capturedEnd();
        }
        t.html = rewritten + html.mid(last);
        t.title = plainOf(h1Re.match(t.html).captured(1));
        if (t.title.isEmpty()) t.title = QString::number(t.id);
        auto hs = h2Re.globalMatch(t.html);
        while (hs.hasNext()) t.headings.append(plainOf(hs.next().captured(1)));
        topics_.append(t);
    }
    if (topics_.isEmpty()) { error_ = Error::NotHelp; return false; }
    if (title_.isEmpty()) title_ = Tr(lang_, Text::WindowTitle);
    return true;
}

QString HelpFile::errorText() const {
    switch (error_) {
    case Error::None: return {};
    case Error::Missing: return Tr(lang_, Text::Missing).arg(path_);
    case Error::Unreadable: return Tr(lang_, Text::Unreadable).arg(path_);
    case Error::NotHelp: return Tr(lang_, Text::NotHelp).arg(path_);
    }
    return {};
}

const Topic* HelpFile::topic(int id) const {
    for (const Topic& t : topics_)
        if (t.id == id) return &t;
    return nullptr;
}

QString HelpFile::documentHtml(const Topic& topic) const {
    return QStringLiteral("<html><head><meta charset=\"utf-8\"><style>") + style_ +
           QStringLiteral("</style></head><body>") + topic.html + QStringLiteral("</body></html>");
}

QString HelpFile::plainText(const Topic& topic) const {
    QTextDocument doc;
    doc.setHtml(documentHtml(topic));
    return doc.toPlainText();
}

QList<QPair<int, int>> HelpFile::Occurrences(const QString& text, const QString& query) {
    QList<QPair<int, int>> found;
    const QString folded = Fold(text);
    for (const QString& w : wordsOf(query))
        for (int at = folded.indexOf(w); at >= 0; at = folded.indexOf(w, at + w.size())) found.append({at, int(w.size())});
    std::sort(found.begin(), found.end());
    return found;
}

QList<Match> HelpFile::find(const QString& query) const {
    const QStringList words = wordsOf(query);
    if (words.isEmpty()) return {};
    if (plain_.size() != topics_.size()) {
        plain_.clear();
        for (const Topic& t : topics_) plain_.append(plainText(t));
    }
    QList<Match> inTitle;
    QList<QPair<int, Match>> inText;  // with the number of occurrences
    for (int i = 0; i < topics_.size(); ++i) {
        const QString folded = Fold(plain_[i]);
        if (!std::all_of(words.begin(), words.end(), [&](const QString& w) { return folded.contains(w); })) continue;
        // The snippet comes from the topic's text, after its title line.
        const int body = std::max(0, int(plain_[i].indexOf('\n')) + 1);
        int at = folded.indexOf(words.first(), body);
        if (at < 0) at = folded.indexOf(words.first());
        int from = std::max(body, at - 40);
        if (from > body) {  // start at a word
            const int blank = plain_[i].indexOf(QRegularExpression("\\s"), from);
            if (blank >= 0 && blank < at) from = blank + 1;
        }
        QString snippet = plain_[i].mid(from, 110).simplified();
        if (from > body) snippet.prepend(QStringLiteral("…"));
        Match m{topics_[i].id, topics_[i].title, snippet};
        const QString title = Fold(topics_[i].title);
        if (std::all_of(words.begin(), words.end(), [&](const QString& w) { return title.contains(w); })) inTitle.append(m);
        else inText.append({int(Occurrences(plain_[i], query).size()), m});
    }
    // The topics that speak most of the words first.
    std::stable_sort(inText.begin(), inText.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& m : inText) inTitle.append(m.second);
    return inTitle;
}

} // namespace hh
