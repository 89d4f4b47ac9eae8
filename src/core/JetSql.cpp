#include "core/JetSql.h"

#include "core/Text.h"
#include "store/Schema.h"

#include <cctype>
#include <exception>

namespace zorva {

namespace {

bool isWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80 || c == '$' || c == '#'; }
bool isWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80 || c == '$' || c == '#'; }

bool isKeyword(const SqlToken& t, std::string_view kw) { return t.kind == SqlToken::Word && IEquals(t.text, kw); }
bool isPunct(const SqlToken& t, std::string_view p) { return t.kind == SqlToken::Punct && t.text == p; }

// Non-space tokens with their positions in the full token list.
struct Sig {
    std::vector<SqlToken> all;
    std::vector<size_t> idx;  // positions of non-space tokens
    const SqlToken& operator[](size_t i) const { return all[idx[i]]; }
    size_t size() const { return idx.size(); }
};

Sig significant(std::vector<SqlToken> tokens) {
    Sig s;
    s.all = std::move(tokens);
    for (size_t i = 0; i < s.all.size(); ++i)
        if (s.all[i].kind != SqlToken::Space) s.idx.push_back(i);
    return s;
}

// Index (in significant tokens) of the parenthesis matching the one at i, or npos.
size_t matchParen(const Sig& s, size_t i) {
    int depth = 0;
    for (size_t k = i; k < s.size(); ++k) {
        if (isPunct(s[k], "(")) ++depth;
        else if (isPunct(s[k], ")")) {
            if (--depth == 0) return k;
        }
    }
    return std::string::npos;
}

size_t matchParenBack(const Sig& s, size_t i) {
    int depth = 0;
    for (size_t k = i + 1; k-- > 0;) {
        if (isPunct(s[k], ")")) ++depth;
        else if (isPunct(s[k], "(")) {
            if (--depth == 0) return k;
        }
    }
    return std::string::npos;
}

std::string textOf(const Sig& s, size_t from, size_t to) {  // significant range [from, to), original spacing
    if (from >= to) return {};
    std::string out;
    for (size_t k = s.idx[from]; k <= s.idx[to - 1]; ++k) out += s.all[k].text;
    return out;
}

bool isName(const SqlToken& t) { return t.kind == SqlToken::Word || t.kind == SqlToken::Bracketed || t.kind == SqlToken::Quoted; }

// Start of the operand that ends at significant index i (inclusive), or npos.
size_t operandStartBack(const Sig& s, size_t i) {
    const SqlToken& t = s[i];
    if (isPunct(t, ")")) {
        size_t open = matchParenBack(s, i);
        if (open == std::string::npos) return open;
        if (open > 0 && isName(s[open - 1])) return open - 1;  // function call
        return open;
    }
    if (t.kind == SqlToken::String || t.kind == SqlToken::Number) return i;
    if (isName(t)) {
        size_t k = i;
        while (k >= 2 && isPunct(s[k - 1], ".") && isName(s[k - 2])) k -= 2;
        return k;
    }
    return std::string::npos;
}

// End (inclusive) of the operand that starts at significant index i, or npos.
size_t operandEndForward(const Sig& s, size_t i) {
    if (i >= s.size()) return std::string::npos;
    const SqlToken& t = s[i];
    if (isPunct(t, "(")) return matchParen(s, i);
    if (t.kind == SqlToken::String || t.kind == SqlToken::Number) return i;
    if (isName(t)) {
        size_t k = i;
        if (k + 1 < s.size() && isPunct(s[k + 1], "(")) return matchParen(s, k + 1);
        while (k + 2 < s.size() && isPunct(s[k + 1], ".") && isName(s[k + 2])) k += 2;
        return k;
    }
    return std::string::npos;
}

// Turns every "+" of a chain of operands that holds a text literal into "||".
void convertTextPlus(Sig& s) {
    std::vector<bool> textPlus(s.size(), false);
    for (size_t i = 0; i < s.size(); ++i) {
        if (!isPunct(s[i], "+") || i == 0 || i + 1 >= s.size()) continue;
        if (s[i - 1].kind == SqlToken::String || s[i + 1].kind == SqlToken::String) textPlus[i] = true;
    }
    bool changed = true;
    while (changed) {
        changed = false;
        for (size_t i = 1; i + 1 < s.size(); ++i) {
            if (!textPlus[i]) continue;
            // Walk left over one operand: a "+" before it belongs to the chain.
            size_t start = operandStartBack(s, i - 1);
            if (start != std::string::npos && start > 0 && isPunct(s[start - 1], "+") && !textPlus[start - 1]) {
                textPlus[start - 1] = true;
                changed = true;
            }
            size_t end = operandEndForward(s, i + 1);
            if (end != std::string::npos && end + 1 < s.size() && isPunct(s[end + 1], "+") && !textPlus[end + 1]) {
                textPlus[end + 1] = true;
                changed = true;
            }
        }
    }
    for (size_t i = 0; i < s.size(); ++i)
        if (textPlus[i]) s.all[s.idx[i]].text = "||";
}

std::string rebuild(const Sig& s) { return JoinTokens(s.all); }

// "DELETE * FROM", "DELETE T FROM", "DELETE T.* FROM" -> "DELETE FROM".
bool translateDelete(Sig& s) {
    if (s.size() < 3 || !isKeyword(s[0], "delete")) return false;
    size_t from = std::string::npos;
    for (size_t k = 1; k < s.size() && k <= 4; ++k)
        if (isKeyword(s[k], "from")) { from = k; break; }
    if (from == std::string::npos || from == 1) return false;
    // Remove everything between DELETE and FROM.
    for (size_t k = s.idx[0] + 1; k < s.idx[from]; ++k) s.all[k].text.clear();
    s.all[s.idx[0] + 1].text = " ";
    return true;
}

// Multi-table and qualified updates.
std::string translateUpdate(const Sig& s) {
    // UPDATE <ref> [, <ref>]* SET <assignments> [WHERE ...]
    size_t setPos = std::string::npos;
    int depth = 0;
    for (size_t k = 1; k < s.size(); ++k) {
        if (isPunct(s[k], "(")) ++depth;
        else if (isPunct(s[k], ")")) --depth;
        else if (depth == 0 && isKeyword(s[k], "set")) { setPos = k; break; }
    }
    if (setPos == std::string::npos || setPos < 2) return {};

    struct Ref { std::string source; std::string alias; };
    std::vector<Ref> refs;
    size_t k = 1;
    while (k < setPos) {
        Ref r;
        size_t srcEnd;
        if (isPunct(s[k], "(")) {
            srcEnd = matchParen(s, k);
            if (srcEnd == std::string::npos || srcEnd >= setPos) return {};
        } else if (isName(s[k])) {
            srcEnd = k;
            while (srcEnd + 2 < setPos && isPunct(s[srcEnd + 1], ".") && isName(s[srcEnd + 2])) srcEnd += 2;
        } else {
            return {};
        }
        r.source = textOf(s, k, srcEnd + 1);
        k = srcEnd + 1;
        if (k < setPos && isKeyword(s[k], "as")) ++k;
        if (k < setPos && isName(s[k])) { r.alias = s[k].text; ++k; }
        refs.push_back(r);
        if (k < setPos) {
            if (!isPunct(s[k], ",")) return {};
            ++k;
        }
    }
    if (refs.empty()) return {};

    // Assignments up to WHERE at depth 0; strip the qualifier of each target.
    size_t wherePos = s.size();
    depth = 0;
    for (size_t j = setPos + 1; j < s.size(); ++j) {
        if (isPunct(s[j], "(")) ++depth;
        else if (isPunct(s[j], ")")) --depth;
        else if (depth == 0 && isKeyword(s[j], "where")) { wherePos = j; break; }
    }
    std::string assignments;
    bool qualified = false;
    size_t start = setPos + 1;
    depth = 0;
    for (size_t j = setPos + 1; j <= wherePos; ++j) {
        bool atEnd = j == wherePos;
        if (!atEnd) {
            if (isPunct(s[j], "(")) ++depth;
            else if (isPunct(s[j], ")")) --depth;
        }
        if (atEnd || (depth == 0 && isPunct(s[j], ","))) {
            size_t a = start;
            // target: name(.name)* = ...
            size_t t = a;
            while (t + 2 < j && isName(s[t]) && isPunct(s[t + 1], ".") && isName(s[t + 2])) t += 2;
            if (!(t < j && isName(s[t]))) return {};
            if (t != a) qualified = true;
            if (!assignments.empty()) assignments += ", ";
            assignments += s[t].text + " " + textOf(s, t + 1, j);
            start = j + 1;
        }
    }

    // A plain single-table update is SQLite already.
    if (refs.size() == 1 && !qualified) return {};

    std::string out = "UPDATE " + refs[0].source;
    if (!refs[0].alias.empty()) out += " AS " + refs[0].alias;
    out += " SET " + assignments;
    if (refs.size() > 1) {
        out += " FROM ";
        for (size_t r = 1; r < refs.size(); ++r) {
            if (r > 1) out += ", ";
            out += refs[r].source;
            if (!refs[r].alias.empty()) out += " AS " + refs[r].alias;
        }
    }
    if (wherePos < s.size()) out += " " + textOf(s, wherePos, s.size());
    return out;
}

} // namespace

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
    std::vector<SqlToken> out;
    size_t i = 0, n = sql.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(sql[i]);
        size_t j = i;
        SqlToken::Kind kind;
        if (std::isspace(c)) {
            while (j < n && std::isspace(static_cast<unsigned char>(sql[j]))) ++j;
            kind = SqlToken::Space;
        } else if (c == '\'' || c == '"') {
            ++j;
            while (j < n) {
                if (sql[j] == static_cast<char>(c)) {
                    if (j + 1 < n && sql[j + 1] == static_cast<char>(c)) { j += 2; continue; }
                    ++j;
                    break;
                }
                ++j;
            }
            kind = c == '\'' ? SqlToken::String : SqlToken::Quoted;
        } else if (c == '[') {
            while (j < n && sql[j] != ']') ++j;
            if (j < n) ++j;
            kind = SqlToken::Bracketed;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            while (j < n && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '.')) ++j;
            kind = SqlToken::Number;
        } else if (isWordStart(c)) {
            while (j < n && isWordChar(static_cast<unsigned char>(sql[j]))) ++j;
            kind = SqlToken::Word;
        } else {
            j = i + 1;
            if (j < n) {
                std::string_view two = sql.substr(i, 2);
                if (two == "<=" || two == ">=" || two == "<>" || two == "!=" || two == "||" || two == "==") j = i + 2;
            }
            kind = SqlToken::Punct;
        }
        out.push_back({kind, std::string(sql.substr(i, j - i))});
        i = j;
    }
    return out;
}

std::string JoinTokens(const std::vector<SqlToken>& tokens) {
    std::string out;
    for (const auto& t : tokens) out += t.text;
    return out;
}

std::string JetToSQLite(std::string_view jet) {
    try {
        Sig s = significant(TokenizeSql(jet));
        if (s.size() == 0) return std::string(jet);
        // Names such as notes#txt (a text file's table) need brackets in SQLite.
        for (size_t i = 0; i < s.size(); ++i) {
            auto& t = s.all[s.idx[i]];
            if (t.kind == SqlToken::Word && t.text.find('#') != std::string::npos) t.text = "[" + t.text + "]";
        }
        convertTextPlus(s);
        if (isKeyword(s[0], "delete")) {
            translateDelete(s);
            return rebuild(s);
        }
        if (isKeyword(s[0], "update")) {
            std::string u = translateUpdate(s);
            return u.empty() ? rebuild(s) : u;
        }
        return rebuild(s);
    } catch (const std::exception&) {
        return std::string(jet);
    }
}

std::string JetToPostgres(std::string_view jet) {
    const std::string lite = JetToSQLite(jet);
    try {
        std::vector<SqlToken> tokens = TokenizeSql(lite);
        for (auto& t : tokens) {
            if (t.kind == SqlToken::Bracketed || t.kind == SqlToken::Quoted) {
                // The name inside, in lower case, between double quotes.
                std::string name = t.kind == SqlToken::Bracketed
                                       ? t.text.substr(1, t.text.size() >= 2 && t.text.back() == ']' ? t.text.size() - 2
                                                                                                      : t.text.size() - 1)
                                       : t.text.substr(1, t.text.size() >= 2 ? t.text.size() - 2 : 0);
                if (t.kind == SqlToken::Quoted) {
                    std::string plain;
                    for (size_t i = 0; i < name.size(); ++i) {
                        plain += name[i];
                        if (name[i] == '"' && i + 1 < name.size() && name[i + 1] == '"') ++i;
                    }
                    name = plain;
                }
                t.text = zorvadata::quoteIdentifier(AsciiLower(name));
            } else if (t.kind == SqlToken::Punct && t.text == "==") {
                t.text = "=";
            }
        }
        return JoinTokens(tokens);
    } catch (const std::exception&) {
        return lite;
    }
}

std::string SingleTableOfSelect(std::string_view sql) {
    try {
        Sig s = significant(TokenizeSql(sql));
        if (s.size() < 4 || !isKeyword(s[0], "select")) return {};
        if (isKeyword(s[1], "distinct")) return {};
        size_t from = std::string::npos;
        int depth = 0;
        for (size_t k = 1; k < s.size(); ++k) {
            if (isPunct(s[k], "(")) ++depth;
            else if (isPunct(s[k], ")")) --depth;
            else if (depth == 0 && isKeyword(s[k], "from")) { from = k; break; }
        }
        if (from == std::string::npos || from + 1 >= s.size() || !isName(s[from + 1])) return {};
        std::string table = s[from + 1].text;
        if (s[from + 1].kind == SqlToken::Bracketed) table = table.substr(1, table.size() - 2);
        for (size_t k = from + 2; k < s.size(); ++k) {
            const SqlToken& t = s[k];
            if (isPunct(t, ",") || isPunct(t, "(") || isKeyword(t, "join") || isKeyword(t, "group") ||
                isKeyword(t, "union") || isKeyword(t, "having") || isKeyword(t, "select"))
                return {};
        }
        // An alias after the table is fine ("from T t where").
        return table;
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace zorva
