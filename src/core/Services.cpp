#include "core/Services.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace zorva {

namespace {

// Without a display: messages go to the error stream and are answered with
// the default button (OK, Yes).
class ConsoleMessages : public MessageService {
public:
    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon) override {
        std::cerr << (title.empty() ? "Zorva" : title) << ": " << text << std::endl;
        switch (buttons) {
        case MsgButtons::OK:
        case MsgButtons::OKCancel: return MsgAnswer::OK;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel: return MsgAnswer::Yes;
        }
        return MsgAnswer::OK;
    }
};

class NoProcesses : public ProcessService {
public:
    bool start(const std::string& program, const std::vector<std::string>&, std::string* error) override {
        if (error) *error = "cannot start " + program + " here";
        return false;
    }
};

class NoPrinter : public PrinterService {
public:
    bool hasDefaultPrinter() override { return false; }
    bool print(const std::vector<Item>&, std::string* error) override {
        if (error) *error = "no printer";
        return false;
    }
};

class SystemClock : public ClockService {
public:
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    long long now() override {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch()).count();
    }
};

class ProcessExit : public ExitService {
public:
    [[noreturn]] void endProgram(int code) override {
        std::fflush(nullptr);
        std::_Exit(code);
    }
};

} // namespace

Services& services() {
    static Services s{std::make_shared<ConsoleMessages>(), std::make_shared<NoProcesses>(),
                      std::make_shared<NoPrinter>(), std::make_shared<SystemClock>(),
                      std::make_shared<ProcessExit>()};
    return s;
}

MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    return services().messages->show(text, title, buttons, icon);
}

void EndProgram(int code) {
    services().exit->endProgram(code);
    // Every exit service ends the program, but a call through the table is
    // not known to the compiler as one that never returns.
    std::abort();
}

} // namespace zorva
