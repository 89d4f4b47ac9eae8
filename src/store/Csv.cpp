#include "store/Csv.h"

#include <fstream>
#include <sstream>

namespace zorvadata {

bool isValidUtf8(const std::string& text, int& badLine) {
    int line = 1;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        unsigned char c = s[i];
        if (c == '\n') ++line;
        if (c < 0x80) { ++i; continue; }
        int len = 0;
        unsigned cp = 0;
        if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
        else { badLine = line; return false; }
        if (i + len > n) { badLine = line; return false; }
        for (int k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) { badLine = line; return false; }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            badLine = line;
            return false;
        }
        i += len;
    }
    return true;
}

bool parseCsv(const std::string& input, const std::string& path, CsvFile& out, Diagnostics& diags) {
    out = CsvFile{};
    out.path = path;
    std::string text = input;
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

    int badLine = 0;
    if (!isValidUtf8(text, badLine)) {
        diags.error(path, badLine, 0, "the file is not UTF-8 text; save it as CSV UTF-8");
        return false;
    }

    std::vector<CsvRecord> all;
    CsvRecord rec;
    std::string field;
    bool inQuotes = false;
    bool fieldWasQuoted = false;
    bool recordHasContent = false;
    int line = 1;
    int quoteLine = 0;
    rec.line = 1;

    auto endField = [&] {
        rec.fields.push_back(field);
        field.clear();
        fieldWasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        // A record made of one empty unquoted field is a blank line.
        if (recordHasContent) all.push_back(rec);
        rec = CsvRecord{};
        recordHasContent = false;
    };

    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < n && text[i + 1] == '"') { field += '"'; ++i; }
                else inQuotes = false;
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        switch (c) {
        case '"':
            if (!field.empty() || fieldWasQuoted) {
                diags.error(path, line, static_cast<int>(rec.fields.size()) + 1,
                            "a quote inside a field that does not start with a quote; enclose the whole field in quotes and double the quote");
                return false;
            }
            inQuotes = true;
            fieldWasQuoted = true;
            recordHasContent = true;
            quoteLine = line;
            break;
        case ',':
            endField();
            recordHasContent = true;
            break;
        case '\r':
            if (i + 1 < n && text[i + 1] == '\n') break;  // CRLF: the LF ends the record
            [[fallthrough]];
        case '\n':
            endRecord();
            ++line;
            rec.line = line;
            break;
        default:
            if (fieldWasQuoted) {
                diags.error(path, line, static_cast<int>(rec.fields.size()) + 1,
                            "text after the closing quote of a field");
                return false;
            }
            field += c;
            recordHasContent = true;
            break;
        }
    }
    if (inQuotes) {
        diags.error(path, quoteLine, static_cast<int>(rec.fields.size()) + 1,
                    "a quoted field is not closed before the end of the file");
        return false;
    }
    endRecord();

    if (all.empty()) {
        diags.error(path, 0, 0, "the file is empty; it needs at least the header line");
        return false;
    }
    out.header = all.front().fields;
    for (auto& h : out.header) {
        // Headers are names: surrounding blanks are never meant.
        auto b = h.find_first_not_of(" \t");
        auto e = h.find_last_not_of(" \t");
        h = (b == std::string::npos) ? std::string() : h.substr(b, e - b + 1);
    }
    out.records.assign(all.begin() + 1, all.end());

    bool ok = true;
    for (const auto& r : out.records) {
        if (r.fields.size() != out.header.size()) {
            diags.error(path, r.line, 0,
                        "the line has " + std::to_string(r.fields.size()) + " fields but the header has " +
                            std::to_string(out.header.size()));
            ok = false;
        }
    }
    return ok;
}

bool readCsv(const std::string& path, CsvFile& out, Diagnostics& diags) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        diags.error(path, 0, 0, "cannot open the file");
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    return parseCsv(ss.str(), path, out, diags);
}

} // namespace zorvadata
