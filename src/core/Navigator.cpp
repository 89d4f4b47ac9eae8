#include "core/Navigator.h"

namespace zorva {

namespace {
std::shared_ptr<Navigator>& installed() {
    static std::shared_ptr<Navigator> n = std::make_shared<Navigator>();
    return n;
}
} // namespace

Choice& CurrentChoice() {
    static Choice choice;
    return choice;
}

Navigator& navigator() { return *installed(); }

void SetNavigator(std::shared_ptr<Navigator> navigator) {
    installed() = navigator ? std::move(navigator) : std::make_shared<Navigator>();
}

} // namespace zorva
