#pragma once
// Small platform services that every screen and procedure goes through, so
// that tests can replace them with scripted fakes: message boxes, starting a
// process, the printer, the clock, and ending the program.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorva {

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgAnswer { OK, Cancel, Yes, No };

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a modal message box. An empty title means the application's title.
    virtual MsgAnswer show(const std::string& text, const std::string& title,
                           MsgButtons buttons, MsgIcon icon) = 0;
};

class ProcessService {
public:
    virtual ~ProcessService() = default;
    // Starts a program with an argument list (never through a shell) and
    // returns at once. False, with a reason in *error, when it could not start.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments,
                       std::string* error) = 0;
};

class PrinterService {
public:
    virtual ~PrinterService() = default;
    virtual bool hasDefaultPrinter() = 0;
    // One item of text with its font; lines are separated by "\n" or "\r".
    struct Item { std::string text; int pointSize = 10; bool bold = false; };
    // Prints the items, one after the other, as one document on the default printer.
    virtual bool print(const std::vector<Item>& items, std::string* error) = 0;
};

class ClockService {
public:
    virtual ~ClockService() = default;
    virtual void sleepMs(int milliseconds) = 0;
    // Seconds since the epoch.
    virtual long long now() = 0;
};

class ExitService {
public:
    virtual ~ExitService() = default;
    // Ends the program at once with the given exit code. Never returns
    // (a test fake throws ProgramEnded instead).
    [[noreturn]] virtual void endProgram(int code) = 0;
};

// Thrown by the test fake of ExitService.
struct ProgramEnded {
    int code;
};

struct Services {
    std::shared_ptr<MessageService> messages;
    std::shared_ptr<ProcessService> processes;
    std::shared_ptr<PrinterService> printer;
    std::shared_ptr<ClockService> clock;
    std::shared_ptr<ExitService> exit;
};

// The services in force. Defaults: console/no-op implementations that need no
// display (messages to stderr, answered with the default button); the program
// installs the Qt ones at start, tests install fakes.
Services& services();

// Shorthands.
MsgAnswer MsgBox(const std::string& text, MsgButtons buttons = MsgButtons::OK,
                 MsgIcon icon = MsgIcon::None, const std::string& title = {});
[[noreturn]] void EndProgram(int code = 0);

} // namespace zorva
