#pragma once
// Scripted fakes of the platform services. Install them with InstallFakes();
// they record what the program asked and answer from a script.

#include "core/Services.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zorva::test {

struct ShownMessage {
    std::string text;
    std::string title;
    MsgButtons buttons;
    MsgIcon icon;
};

class FakeMessages : public MessageService {
public:
    // Answers given in order; when the script is empty the default button
    // (OK, Yes) answers.
    std::deque<MsgAnswer> script;
    std::vector<ShownMessage> shown;
    // Called while a message is "on screen" (for tests that look at the screen then).
    std::function<void(const ShownMessage&)> onShow;

    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) override;
    void answer(MsgAnswer a) { script.push_back(a); }
    const ShownMessage& last() const { return shown.back(); }
    bool empty() const { return shown.empty(); }
};

class FakeProcesses : public ProcessService {
public:
    struct Started {
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<Started> started;
    bool fail = false;
    bool start(const std::string& program, const std::vector<std::string>& arguments, std::string* error) override;
};

class FakePrinter : public PrinterService {
public:
    bool present = true;
    std::vector<std::vector<Item>> documents;
    bool hasDefaultPrinter() override { return present; }
    bool print(const std::vector<Item>& items, std::string* error) override;
};

class FakeClock : public ClockService {
public:
    long long seconds = 1291680000;  // 2010-12-07
    std::vector<int> sleeps;
    void sleepMs(int ms) override { sleeps.push_back(ms); }
    long long now() override { return seconds; }
};

class FakeExit : public ExitService {
public:
    std::vector<int> codes;
    [[noreturn]] void endProgram(int code) override;
};

struct Fakes {
    std::shared_ptr<FakeMessages> messages = std::make_shared<FakeMessages>();
    std::shared_ptr<FakeProcesses> processes = std::make_shared<FakeProcesses>();
    std::shared_ptr<FakePrinter> printer = std::make_shared<FakePrinter>();
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::shared_ptr<FakeExit> exit = std::make_shared<FakeExit>();
};

// Installs a fresh set of fakes and returns them.
Fakes InstallFakes();

} // namespace zorva::test
