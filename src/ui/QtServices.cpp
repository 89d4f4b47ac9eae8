#include "ui/QtServices.h"

#include "core/Globals.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/modMain.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <chrono>
#include <clocale>

namespace zorva {

namespace {

class QtMessages : public MessageService {
public:
    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) override {
        FollowProgramLanguage();
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title.empty() ? ApplicationTitle() : qs(title));
        box.setText(qs(text));
        box.setAccessibleName(box.windowTitle());
        box.setAccessibleDescription(qs(text));
        switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        }
        switch (buttons) {
        case MsgButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        // The program's own questions answer in the program's language, with
        // or without Qt's translations installed.
        for (auto [which, id] : {std::pair{QMessageBox::Ok, 1542}, std::pair{QMessageBox::Cancel, 1544},
                                 std::pair{QMessageBox::Yes, 1546}, std::pair{QMessageBox::No, 1548}})
            if (QAbstractButton* b = box.button(which)) b->setText(qs(Txt(id)));
        switch (box.exec()) {
        case QMessageBox::Ok: return MsgAnswer::OK;
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        default: break;
        }
        // Closed with Escape or the close box: the answer that changes nothing.
        switch (buttons) {
        case MsgButtons::OK: return MsgAnswer::OK;
        case MsgButtons::YesNo: return MsgAnswer::No;
        default: return MsgAnswer::Cancel;
        }
    }
};

class QtProcesses : public ProcessService {
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments, std::string* error) override {
        QStringList args;
        for (const auto& a : arguments) args << qs(a);
        qint64 pid = 0;
        if (!QProcess::startDetached(qs(program), args, QString(), &pid)) {
            if (error) *error = Txt(2438);
            return false;
        }
        return true;
    }
};

class QtPrinter : public PrinterService {
public:
    bool hasDefaultPrinter() override { return !QPrinterInfo::defaultPrinter().isNull(); }
    bool print(const std::vector<Item>& items, std::string* error) override {
        QPrinter printer(QPrinterInfo::defaultPrinter());
        QTextDocument doc;
        QTextCursor cur(&doc);
        for (const auto& item : items) {
            QTextCharFormat f;
            f.setFontPointSize(item.pointSize);
            f.setFontWeight(item.bold ? QFont::Bold : QFont::Normal);
            QString t = qs(item.text);
            t.replace("\r\n", "\n").replace('\r', '\n');
            cur.insertText(t, f);
            cur.insertBlock();
        }
        doc.print(&printer);
        if (printer.printerState() == QPrinter::Error) {
            if (error) *error = Txt(2440);
            return false;
        }
        return true;
    }
};

class QtClock : public ClockService {
public:
    void sleepMs(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }
    long long now() override {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace

// Qt's own texts (standard buttons, print and file dialogs, context menus of
// text boxes) in the program's language: Qt's French translations are
// installed while gintLanguage is French and removed when it is English.
void FollowProgramLanguage() {
    static int installedLanguage = 0;
    static QTranslator* translator = nullptr;
    static bool busy = false;
    const int wanted = gintLanguage != 0 ? 1 : 0;
    if (wanted == installedLanguage || busy || !QCoreApplication::instance()) return;
    busy = true;
    installedLanguage = wanted;
    if (wanted) {
        if (!translator) {
            translator = new QTranslator(QCoreApplication::instance());
            if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
                delete translator;
                translator = nullptr;
            }
        }
        if (translator) QCoreApplication::installTranslator(translator);
    } else if (translator) {
        QCoreApplication::removeTranslator(translator);
    }
    busy = false;
}

void InstallQtServices() {
    services().messages = std::make_shared<QtMessages>();
    services().processes = std::make_shared<QtProcesses>();
    services().printer = std::make_shared<QtPrinter>();
    services().clock = std::make_shared<QtClock>();
}

QString ApplicationTitle() {
    return HasResString(2) ? qs(Txt(2)) : QStringLiteral("Zorva");
}

ZorvaApplication::ZorvaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Zorva"));
    // No display name: the window system would add it to every title bar,
    // and the titles are exactly the program's texts.
    setApplicationVersion(QStringLiteral("2010.2"));
    // Qt adopts the desktop's locale for the C library; numbers that go into
    // statements and files must keep "." whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
}

bool ZorvaApplication::notify(QObject* receiver, QEvent* event) {
    // A language switch is an assignment of gintLanguage anywhere: Qt's own
    // texts follow before the next event is handled (a dialog being shown,
    // a key pressed in it).
    FollowProgramLanguage();
    try {
        return QApplication::notify(receiver, event);
    } catch (const ProgramEnded&) {
        throw;  // a test's fake exit: let it reach the test
    } catch (const std::exception& e) {
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
        if (IsRecoverableError(e)) {
            // The office's server went away or was busy: say so and go on,
            // with every screen as it was.
            MsgBox(RecoverableErrorText(e), MsgButtons::OK, MsgIcon::Exclamation);
            return true;
        }
        ReportFatalError(e);
    }
}

} // namespace zorva
