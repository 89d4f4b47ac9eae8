#pragma once
#include <string>

namespace zorva::test {
// Switches the C library's LC_NUMERIC to a locale whose decimal mark is a
// comma; when none is installed, compiles fr_FR into `scratch` with localedef.
// Returns the locale's name, or nullptr when none can be had. The destructor
// of CommaLocaleScope puts the previous locale back.
const char* UseCommaLocale(const std::string& scratch);

class CommaLocaleScope {
public:
    explicit CommaLocaleScope(const std::string& scratch);
    ~CommaLocaleScope();
    bool active() const { return name_ != nullptr; }
private:
    std::string previous_;
    const char* name_;
};
} // namespace zorva::test
