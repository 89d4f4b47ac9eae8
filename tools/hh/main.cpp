// The program's help viewer: shows one help file of the application folder
// (built by zorva-helpbuild, kept under the *.chm names) in its own window.
//
//   hh FILE               opens the file at its first topic
//   hh FILE --topic N     opens it at topic N (an unknown N: the first topic, with a note)
//   hh FILE --find WORDS  opens it with the topics holding WORDS listed
//   hh                    an empty viewer saying that no file was named
//
// A missing or unreadable file is reported in the file's language.

#include "HelpWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("hh"));

    QString file;
    QString words;
    int topic = -1;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--topic") && i + 1 < args.size()) {
            bool ok = false;
            topic = args[++i].toInt(&ok);
            if (!ok) topic = -2;  // not a number: an unknown topic
        } else if (args[i] == QLatin1String("--find") && i + 1 < args.size()) {
            words = args[++i];
        } else if (file.isEmpty()) {
            file = args[i];
        }
    }
    const hh::Lang lang = file.isEmpty() ? hh::Lang::English : hh::LanguageOf(file);

    // Qt's own dialogs (print, file) in the file's language.
    QTranslator qtTexts;
    if (lang == hh::Lang::French &&
        qtTexts.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    hh::HelpWindow window;
    if (!window.openFile(file, topic == -2 ? 0 : topic)) {
        QMessageBox box(QMessageBox::Warning, hh::Tr(lang, hh::Text::WindowTitle), window.errorText(), QMessageBox::Ok);
        box.exec();
        return 1;
    }
    if (!words.isEmpty()) {
        window.find(words);
        window.showTopic(window.currentTopic(), -1, words);  // the words marked in the topic shown
    }
    window.show();
    return app.exec();
}
