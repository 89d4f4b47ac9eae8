#include "enterprise/EnterpriseScreens.h"

namespace zorva {

namespace {
std::shared_ptr<EnterpriseScreens>& installed() {
    static std::shared_ptr<EnterpriseScreens> s = std::make_shared<EnterpriseScreens>();
    return s;
}
} // namespace

EnterpriseScreens& enterpriseScreens() { return *installed(); }

void SetEnterpriseScreens(std::shared_ptr<EnterpriseScreens> screens) {
    installed() = screens ? std::move(screens) : std::make_shared<EnterpriseScreens>();
}

} // namespace zorva
