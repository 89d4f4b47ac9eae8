// The program's help viewer: shows one help file (HTML under the names the
// program has always used, *.chm) in its own window, optionally at a topic.
//
//   hh FILE               opens the file at its beginning
//   hh FILE --topic N     opens it at the topic N (an anchor named "topic-N")
//   hh                    an empty viewer
//
// Links between help files and to topics work inside the viewer; links to the
// web open in the desktop's browser.

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeySequence>
#include <QMainWindow>
#include <QMessageBox>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Zorva Help"));

    QString file;
    QString topic;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--topic") && i + 1 < args.size()) topic = args[++i];
        else if (file.isEmpty()) file = args[i];
    }
    const bool french = QFileInfo(file).fileName().contains(QLatin1String("_Fre"));

    QMainWindow window;
    auto* browser = new QTextBrowser(&window);
    browser->setObjectName(QStringLiteral("helpText"));
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(true);
    browser->setAccessibleName(french ? QStringLiteral("Aide") : QStringLiteral("Help"));
    window.setCentralWidget(browser);

    auto* bar = window.addToolBar(french ? QStringLiteral("Navigation") : QStringLiteral("Navigation"));
    bar->setObjectName(QStringLiteral("navigation"));
    QAction* back = bar->addAction(french ? QStringLiteral("Précédent") : QStringLiteral("Back"), browser,
                                   &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    QAction* home = bar->addAction(french ? QStringLiteral("Sommaire") : QStringLiteral("Contents"), browser,
                                   &QTextBrowser::home);
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    QObject::connect(browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    back->setEnabled(false);
    new QShortcut(QKeySequence::Close, &window, [&window] { window.close(); });

    if (!file.isEmpty()) {
        QFileInfo info(file);
        if (!info.isFile()) {
            QMessageBox::warning(nullptr, QStringLiteral("Zorva"),
                                 (french ? QStringLiteral("Le fichier d'aide est introuvable : ")
                                         : QStringLiteral("The help file was not found: ")) + file);
            return 1;
        }
        QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        if (!topic.isEmpty()) url.setFragment(QStringLiteral("topic-") + topic);
        browser->setSource(url, QTextDocument::HtmlResource);
    }
    QObject::connect(browser, &QTextBrowser::sourceChanged, &window,
                     [&window, browser] { window.setWindowTitle(browser->documentTitle()); });
    window.setWindowTitle(browser->documentTitle().isEmpty() ? QStringLiteral("Zorva") : browser->documentTitle());
    window.resize(820, 640);
    window.show();
    return app.exec();
}
