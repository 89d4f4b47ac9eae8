// Builds one help file of the application folder from its Markdown sources.
//
//   zorva-helpbuild LANG SOURCE_DIR RATIOS OUT
//
// LANG is "en" or "fr". Every *.md file of SOURCE_DIR is read in name order.
// A topic starts at a line
//     <!-- topic N -->          or     <!-- topic N in P -->
// (N its number, P the topic it is listed under in the contents) and runs to
// the next such line. A line "<!-- title: TEXT -->" names the whole file.
// Inside the Markdown:
//     {{text ID}}        the string ID of the program's string table, in LANG;
//                        ID is always the even, English id of the pair (the
//                        builder adds the language offset, as the program does).
//                        A placeholder of the text ({Y}, {R}: a piece the
//                        program fills in) is shown as "…", the sign the
//                        message lists use for such a piece
//     {{formula KEY}}    the formula of the ratio KEY of RATIOS, in words
//     {{better KEY}}     which direction of the ratio KEY is the better one
//     {{line-items}}     (alone on a line) the definitions of the 32 line items,
//                        exactly as the values screen shows them
// Code (`...` on a line, or a fenced block) is copied as it is, directives
// included, so that the help can show how to write them. In a French file the
// spaces inside « » and before a colon become no-break spaces.
// Pictures are embedded as data: URIs; a link "#topic-N" must name a topic of
// the same file.
//
// Any fault stops the build with a message naming the source file and line:
// a topic number used twice, a link or parent to a missing topic, a picture
// that cannot be read, an unknown string or ratio, a {{text N}} with an odd
// (French) id, a placeholder in braces that would reach the reader as it is,
// and, in the file that holds the message list (topic HelpTopic::kMessages),
// a message of the program (core/MessageIds.h) that the list does not quote.
//
// The output is one self-contained HTML file: each topic is a
// <div class="topic" id="topic-N"> between the markers <!--topic:N:P--> and
// <!--/topic-->, which the help viewer reads.

#include "core/HelpTopics.h"
#include "core/MessageIds.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTextDocument>

#include <cstdio>
#include <unistd.h>
#include <stdexcept>

namespace {

using zorva::Field;

struct Fault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int gLang = 0;  // 0 English, 1 French

QString text(int id) { return QString::fromStdString(zorva::LoadResString(id + gLang)).trimmed(); }

// The ratios: key, string id of the name, formula over MyValues columns, better direction.
struct Ratio {
    QString key;
    int nameId = 0;
    QString formula;
    QString better;
};

QMap<QString, Ratio> readRatios(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw Fault("cannot read " + path.toStdString());
    QMap<QString, Ratio> ratios;
    int lineNo = 0;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QStringList cols = line.split('\t', Qt::SkipEmptyParts);
        if (cols.size() != 4 || (cols[3] != "higher" && cols[3] != "lower"))
            throw Fault(path.toStdString() + ":" + std::to_string(lineNo) + ": expected KEY<TAB>NAME_ID<TAB>FORMULA<TAB>higher|lower");
        ratios.insert(cols[0], Ratio{cols[0], cols[1].toInt(), cols[2], cols[3]});
    }
    return ratios;
}

// A formula over column names in the reader's words: "ProfitAfterTax / OperatingRevenue * 100"
// becomes "Net profit (after tax) ÷ Operating revenue × 100".
QString formulaInWords(const QString& formula) {
    QString out;
    static const QRegularExpression token(R"(\s*([A-Za-z][A-Za-z0-9]*|[0-9.]+|[-+*/()])\s*)");
    int pos = 0;
    while (pos < formula.size()) {
        auto m = token.match(formula, pos, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) throw Fault("cannot read the formula " + formula.toStdString());
        const QString t = m.captured(1);
        pos = m.capturedEnd(0);
        if (t[0].isLetter()) {
            auto field = zorva::FieldByColumn(t.toStdString());
            if (!field || !zorva::IsValueField(*field)) throw Fault("unknown line item in a formula: " + t.toStdString());
            out += text(zorva::CaptionId(*field));
        } else if (t == "*") out += QStringLiteral(" × ");
        else if (t == "/") out += QStringLiteral(" ÷ ");
        else if (t == "-") out += QStringLiteral(" − ");
        else if (t == "+") out += QStringLiteral(" + ");
        else out += t;
    }
    return out;
}

QString escapeMarkdown(QString s) {
    s.replace('\\', "\\\\").replace('*', "\\*").replace('_', "\\_").replace('<', "&lt;");
    return s;
}

// The 32 definitions: a heading with the box's caption, then the paragraphs.
QString lineItemsHtml() {
    QString html;
    int k = 0;
    for (Field f : zorva::ValueFields()) {
        const int id = 1100 + 4 * k++;
        html += "<h2>" + text(zorva::CaptionId(f)).toHtmlEscaped() + "</h2>\n";
        html += "<p><i>" + text(id).toHtmlEscaped() + "</i></p>\n";
        const QStringList paragraphs = QString::fromStdString(zorva::LoadResString(id + 2 + gLang)).split("\n\n");
        for (const QString& p : paragraphs) {
            if (p.trimmed().isEmpty()) continue;
            const bool sub = p.startsWith(' ');
            html += QString("<p style=\"margin-left:%1px\">").arg(sub ? 36 : 0) + p.trimmed().toHtmlEscaped() + "</p>\n";
        }
    }
    return html;
}

QString bodyOf(const QString& html) {
    const int open = html.indexOf("<body");
    const int start = html.indexOf('>', open) + 1;
    const int end = html.lastIndexOf("</body>");
    return html.mid(start, end - start).trimmed();
}

QString markdownToHtml(const QString& md) {
    QTextDocument doc;
    doc.setMarkdown(md);
    // Tables with single rules rather than the doubled ones of the default;
    // long lines of code wrap instead of widening the page.
    return bodyOf(doc.toHtml())
        .replace(QStringLiteral("<pre style=\""), QStringLiteral("<pre style=\" white-space:pre-wrap;"))
        .replace(QStringLiteral("<table border=\"1\" cellspacing=\"2\">"),
                 QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
                                "style=\"border-collapse:collapse; border-color:#b8c4d2; margin-top:6px; margin-bottom:6px\">"));
}

constexpr int kPictureWidth = 660;

QString embedPictures(QString html, const QString& baseDir, const QString& source) {
    static const QRegularExpression img(R"re(<img src="([^"]+)"([^>]*)>)re");
    QString out;
    int last = 0;
    auto it = img.globalMatch(html);
    while (it.hasNext()) {
        auto m = it.next();
        out += html.mid(last, m.capturedStart() - last);
        last = m.capturedEnd();
        const QString src = m.captured(1);
        if (src.startsWith("data:") || src.contains("://")) { out += m.captured(0); continue; }
        const QString path = QDir(baseDir).filePath(src);
        QFile f(path);
        QImage picture(path);
        if (!f.open(QIODevice::ReadOnly) || picture.isNull())
            throw Fault(source.toStdString() + ": the picture " + src.toStdString() + " cannot be read");
        // Wider pictures are scaled down smoothly here, so that the viewer
        // shows them at their own size and without blurred letters.
        QByteArray bytes = f.readAll();
        QString mime = path.endsWith(".png", Qt::CaseInsensitive) ? "image/png" : "image/jpeg";
        if (picture.width() > kPictureWidth) {
            picture = picture.scaledToWidth(kPictureWidth, Qt::SmoothTransformation);
            QBuffer buffer(&bytes);
            bytes.clear();
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
            mime = "image/png";
        }
        out += QString("<img src=\"data:%1;base64,%2\" width=\"%3\" height=\"%4\"%5>")
                   .arg(mime, QString::fromLatin1(bytes.toBase64()))
                   .arg(picture.width())
                   .arg(picture.height())
                   .arg(m.captured(2));
    }
    return out + html.mid(last);
}

// One line of a source, with where it comes from ("file.md:12") for messages.
struct SourceLine {
    QString text;
    QString where;
};

struct Topic {
    int id = 0;
    int parent = 0;
    QString source;  // where its marker line is
    QList<SourceLine> lines;
};

[[noreturn]] void faultAt(const QString& where, const QString& what) {
    throw Fault((where + ": " + what).toStdString());
}

// The text of string ID for the help, each placeholder of the program ({Y},
// {R}) shown as "…" (a period after it is absorbed, as after any ellipsis).
// Blanks at its ends are kept only where it joins a word, a number or an
// ellipsis of the source ("{{text 986}}2008{{text 988}}2010", "{{text 964}}…"),
// as the program joins its pieces; elsewhere they would undo emphasis or a
// quotation.
QString quotedText(int id, bool joinsLeft, bool joinsRight) {
    static const QRegularExpression placeholder(R"(\{[A-Z]\}(\.(?!\.))?)");
    QString t = QString::fromStdString(zorva::LoadResString(id + gLang)).replace(placeholder, QStringLiteral("…"));
    if (!joinsLeft) t.remove(QRegularExpression("^\\s+"));
    if (!joinsRight) t.remove(QRegularExpression("\\s+$"));
    return t;
}

bool joinsText(QChar c) { return c.isLetterOrNumber() || c == QChar(0x2026); }

QString expandDirective(const QString& prose, const QRegularExpressionMatch& m, const QMap<QString, Ratio>& ratios,
                        const QString& where) {
    const QString kind = m.captured(1), arg = m.captured(2);
    if (kind == "text") {
        bool ok = false;
        const int id = arg.toInt(&ok);
        if (!ok || !zorva::HasResString(id)) faultAt(where, "no string " + arg);
        // The builder adds the file's language to the id, as the program does:
        // an odd id would give the French text in an English file, and the
        // English text of the next pair in a French one.
        if (id % 2 != 0)
            faultAt(where, QString("{{text %1}} names the French half of a pair and would show the wrong language "
                                   "here; write the even, English id {{text %2}}: the text comes in the file's language")
                               .arg(id)
                               .arg(id - 1));
        if (!zorva::HasResString(id + 1)) faultAt(where, "no French text for the string " + arg);
        const int start = m.capturedStart(), end = m.capturedEnd();
        return escapeMarkdown(quotedText(id, start > 0 && joinsText(prose[start - 1]),
                                         end < prose.size() && joinsText(prose[end])));
    }
    if (!ratios.contains(arg)) faultAt(where, "no ratio " + arg);
    const Ratio& r = ratios[arg];
    if (kind == "formula") return escapeMarkdown(formulaInWords(r.formula));
    if (gLang == 0) return r.better == "higher" ? "the higher, the better" : "the lower, the better";
    return r.better == "higher" ? "plus il est élevé, mieux c'est" : "plus il est bas, mieux c'est";
}

// French spacing: no-break spaces inside « » and before a colon, so that a
// line never starts with the mark. A colon of a table's alignment row
// (" :---") is left alone: only a colon followed by a blank or the end counts.
QString frenchSpacing(QString s) {
    static const QRegularExpression beforeColon(R"( :(?=\s|$))");
    s.replace(QStringLiteral("« "), QStringLiteral("«\u00A0")).replace(QStringLiteral(" »"), QStringLiteral("\u00A0»"));
    return s.replace(beforeColon, QStringLiteral("\u00A0:"));
}

// Expands the directives of a piece of prose, then refuses any placeholder in
// braces that is left: a misspelt directive, or a { } that the reader would see.
QString expandProse(const QString& prose, const QMap<QString, Ratio>& ratios, const QString& where) {
    static const QRegularExpression directive(R"(\{\{(text|formula|better) ([A-Za-z0-9]+)\}\})");
    static const QRegularExpression leftOver(R"(\{[^{}\n]*\})");
    QString out;
    int last = 0;
    auto it = directive.globalMatch(prose);
    while (it.hasNext()) {
        auto m = it.next();
        const QString before = prose.mid(last, m.capturedStart() - last);
        out += before;
        last = m.capturedEnd();
        const auto stray = leftOver.match(before);
        if (stray.hasMatch())
            faultAt(where, "the placeholder " + stray.captured(0) +
                               " would reach the reader as it is (the directives are {{text N}}, {{formula KEY}}, "
                               "{{better KEY}} and {{line-items}} alone on a line; code goes between backquotes)");
        out += expandDirective(prose, m, ratios, where);
    }
    const QString tail = prose.mid(last);
    const auto stray = leftOver.match(tail);
    if (stray.hasMatch())
        faultAt(where, "the placeholder " + stray.captured(0) +
                           " would reach the reader as it is (the directives are {{text N}}, {{formula KEY}}, "
                           "{{better KEY}} and {{line-items}} alone on a line; code goes between backquotes)");
    out += tail;
    return gLang == 1 ? frenchSpacing(out) : out;
}

// Expands one line: code between backquotes, and a fenced block (inFence, kept
// from line to line), stays as it is.
QString expandLine(const SourceLine& line, bool& inFence, const QMap<QString, Ratio>& ratios) {
    if (line.text.trimmed().startsWith("```")) {
        inFence = !inFence;
        return line.text;
    }
    if (inFence) return line.text;
    const QStringList pieces = line.text.split('`');
    QStringList out;
    for (int i = 0; i < pieces.size(); ++i) out.append(i % 2 == 0 ? expandProse(pieces[i], ratios, line.where) : pieces[i]);
    return out.join('`');
}

QString topicHtml(const Topic& t, const QMap<QString, Ratio>& ratios, const QString& baseDir) {
    QString html;
    QString chunk;
    bool inFence = false;
    auto flush = [&] {
        if (!chunk.trimmed().isEmpty()) html += markdownToHtml(chunk) + "\n";
        chunk.clear();
    };
    for (const SourceLine& line : t.lines) {
        if (!inFence && line.text.trimmed() == "{{line-items}}") {
            flush();
            html += lineItemsHtml();
        } else {
            chunk += expandLine(line, inFence, ratios) + '\n';
        }
    }
    flush();
    return embedPictures(html, baseDir, t.source);
}

// The file holding the message list must quote every message of the program.
void checkMessageList(const Topic& t) {
    static const QRegularExpression quoted(R"(\{\{text (\d+)\}\})");
    QSet<int> listed;
    bool inFence = false;
    for (const SourceLine& line : t.lines) {
        if (line.text.trimmed().startsWith("```")) inFence = !inFence;
        if (inFence) continue;
        const QStringList pieces = line.text.split('`');
        for (int i = 0; i < pieces.size(); i += 2)
            for (auto it = quoted.globalMatch(pieces[i]); it.hasNext();) listed.insert(it.next().captured(1).toInt());
    }
    QStringList missing;
    for (int id : zorva::kMessageIds)
        if (!listed.contains(id)) missing.append(QString("%1 (\"%2\")").arg(id).arg(text(id)));
    if (!missing.isEmpty())
        faultAt(t.source, QString("the message list (topic %1) does not quote these messages of the program "
                                  "(core/MessageIds.h): %2")
                              .arg(t.id)
                              .arg(missing.join(", ")));
}

const char* kStyle =
    "body{font-family:sans-serif;line-height:1.4;margin:12px} h1{color:#1f3b63;font-size:x-large}"
    " h2{color:#1f3b63;font-size:large} h3{color:#1f3b63} td,th{padding:3px 8px;vertical-align:top}"
    " th{background:#e8eef5;text-align:left} code,pre{background:#f1f4f8}"
    " .topic{border-bottom:1px solid #c8d3e0;margin-bottom:24px}";

void build(const QString& lang, const QString& sourceDir, const QString& ratiosPath, const QString& outPath) {
    gLang = lang == "fr" ? 1 : 0;
    const QMap<QString, Ratio> ratios = readRatios(ratiosPath);
    QDir dir(sourceDir);
    const QStringList files = dir.entryList({"*.md"}, QDir::Files, QDir::Name);
    if (files.isEmpty()) throw Fault("no Markdown file in " + sourceDir.toStdString());

    static const QRegularExpression topicLine(R"(^<!-- topic (\d+)(?: in (\d+))? -->\s*$)");
    static const QRegularExpression titleLine(R"(^<!-- title: (.+) -->\s*$)");
    QString title;
    QList<Topic> topics;
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) throw Fault("cannot read " + f.fileName().toStdString());
        int lineNo = 0;
        bool inCode = false;  // markers inside a fenced code block are examples
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
            ++lineNo;
            if (line.trimmed().startsWith("```")) inCode = !inCode;
            auto tm = inCode ? QRegularExpressionMatch() : topicLine.match(line);
            if (tm.hasMatch()) {
                topics.append(Topic{tm.captured(1).toInt(), tm.captured(2).toInt(),
                                    name + ":" + QString::number(lineNo), {}});
                continue;
            }
            auto ti = inCode ? QRegularExpressionMatch() : titleLine.match(line);
            if (ti.hasMatch()) { title = ti.captured(1); continue; }
            if (topics.isEmpty()) {
                if (!line.trimmed().isEmpty())
                    throw Fault((name + ":" + QString::number(lineNo)).toStdString() + ": text before the first topic");
                continue;
            }
            topics.last().lines.append({line, name + ":" + QString::number(lineNo)});
        }
    }
    if (title.isEmpty()) throw Fault("no <!-- title: ... --> line in " + sourceDir.toStdString());

    QSet<int> ids;
    for (const Topic& t : topics) {
        if (ids.contains(t.id)) throw Fault(t.source.toStdString() + ": topic " + std::to_string(t.id) + " twice");
        ids.insert(t.id);
    }
    for (const Topic& t : topics)
        if (t.parent != 0 && !ids.contains(t.parent))
            throw Fault(t.source.toStdString() + ": no topic " + std::to_string(t.parent) + " to list it under");

    for (const Topic& t : topics)
        if (t.id == zorva::HelpTopic::kMessages) checkMessageList(t);

    QString out = "<!DOCTYPE html>\n<html lang=\"" + lang + "\"><head><meta charset=\"utf-8\"><title>" +
                  title.toHtmlEscaped() + "</title>\n<style>" + kStyle + "</style></head>\n<body>\n";
    static const QRegularExpression localLink(R"(href="#topic-(\d+)\")");
    for (const Topic& t : topics) {
        const QString html = topicHtml(t, ratios, sourceDir);
        auto links = localLink.globalMatch(html);
        while (links.hasNext()) {
            const int target = links.next().captured(1).toInt();
            if (!ids.contains(target))
                throw Fault(t.source.toStdString() + ": a link to topic " + std::to_string(target) + ", which does not exist");
        }
        out += QString("<!--topic:%1:%2-->\n<div class=\"topic\" id=\"topic-%1\">\n").arg(t.id).arg(t.parent) + html +
               "\n</div>\n<!--/topic-->\n";
    }
    out += "</body></html>\n";

    const QString tmp = outPath + ".tmp";
    QFile f(tmp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(out.toUtf8()) < 0 || !f.flush())
        throw Fault("cannot write " + tmp.toStdString());
    f.close();
    QFile::remove(outPath);
    if (!QFile::rename(tmp, outPath)) throw Fault("cannot write " + outPath.toStdString());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // No session here: a private runtime folder keeps Qt from warning about it.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + "/zorva-helpbuild-" + QString::number(getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5 || (args[1] != "en" && args[1] != "fr")) {
        std::fprintf(stderr, "usage: zorva-helpbuild en|fr SOURCE_DIR RATIOS OUT\n");
        return 2;
    }
    try {
        build(args[1], args[2], args[3], args[4]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorva-helpbuild: %s\n", e.what());
        return 1;
    }
    return 0;
}
