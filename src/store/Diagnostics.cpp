#include "store/Diagnostics.h"

namespace zorvadata {

std::string Diagnostic::format() const {
    std::string s = file;
    if (line > 0) {
        s += ":" + std::to_string(line);
        if (column > 0) s += ":" + std::to_string(column);
    }
    if (!s.empty()) s += ": ";
    s += "error: " + message;
    return s;
}

void Diagnostics::error(std::string file, int line, int column, std::string message) {
    items_.push_back(Diagnostic{std::move(file), line, column, std::move(message)});
}

bool Diagnostics::contains(const std::string& text) const {
    for (const auto& d : items_)
        if (d.format().find(text) != std::string::npos) return true;
    return false;
}

std::string Diagnostics::text() const {
    std::string s;
    for (const auto& d : items_) s += d.format() + "\n";
    return s;
}

} // namespace zorvadata
