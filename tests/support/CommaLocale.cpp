#include "support/CommaLocale.h"

#include <clocale>
#include <cstdlib>

namespace zorva::test {

const char* UseCommaLocale(const std::string& scratch) {
    for (const char* name : {"fr_CA.UTF-8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) return name;
    std::string cmd = "localedef -i fr_FR -f UTF-8 '" + scratch + "/fr_FR.UTF-8' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return nullptr;
    setenv("LOCPATH", scratch.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") ? "fr_FR.UTF-8" : nullptr;
}

CommaLocaleScope::CommaLocaleScope(const std::string& scratch) {
    const char* cur = std::setlocale(LC_NUMERIC, nullptr);
    previous_ = cur ? cur : "C";
    name_ = UseCommaLocale(scratch);
}

CommaLocaleScope::~CommaLocaleScope() { std::setlocale(LC_NUMERIC, previous_.c_str()); }

} // namespace zorva::test
