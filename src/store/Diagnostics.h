#pragma once
// Problems found while reading and checking data sources, each tied to a
// place in a file so that whoever edits the CSV can go straight to it.

#include <string>
#include <vector>

namespace zorvadata {

struct Diagnostic {
    std::string file;     // path as given (may be empty for general problems)
    int line = 0;         // 1-based; 0 when the problem concerns the whole file
    int column = 0;       // 1-based field number; 0 when the whole line is meant
    std::string message;

    // "file:line:column: error: message", leaving out the parts that are 0.
    std::string format() const;
};

class Diagnostics {
public:
    void error(std::string file, int line, int column, std::string message);
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    const std::vector<Diagnostic>& items() const { return items_; }
    // True when some message contains the text (used by tests and callers
    // that look for one kind of problem).
    bool contains(const std::string& text) const;
    // All messages, one per line.
    std::string text() const;

private:
    std::vector<Diagnostic> items_;
};

} // namespace zorvadata
