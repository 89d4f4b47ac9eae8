#include "support/FakeServices.h"

namespace zorva::test {

MsgAnswer FakeMessages::show(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) {
    shown.push_back({text, title, buttons, icon});
    if (onShow) onShow(shown.back());
    if (!script.empty()) {
        MsgAnswer a = script.front();
        script.pop_front();
        return a;
    }
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::OK;
}

bool FakeProcesses::start(const std::string& program, const std::vector<std::string>& arguments, std::string* error) {
    if (fail) {
        if (error) *error = "refused by the test";
        return false;
    }
    started.push_back({program, arguments});
    return true;
}

bool FakePrinter::print(const std::vector<Item>& items, std::string* error) {
    if (!present) {
        if (error) *error = "no printer";
        return false;
    }
    documents.push_back(items);
    return true;
}

void FakeExit::endProgram(int code) {
    codes.push_back(code);
    throw ProgramEnded{code};
}

Fakes InstallFakes() {
    Fakes f;
    services().messages = f.messages;
    services().processes = f.processes;
    services().printer = f.printer;
    services().clock = f.clock;
    services().exit = f.exit;
    return f;
}

} // namespace zorva::test
