// GnuCash books in both of GnuCash's formats, the year end arithmetic of a
// book, and the choice of reader by a file's first bytes (Books.h).

#include "enterprise/Books.h"

#include "core/Edition.h"
#include "core/DBTools.h"

#include "enterprise/BoundedRead.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace zorva::books {

// ---------------------------------------------------------------- dates and years

int ParseDate(std::string_view text) {
    int digits = 0, value = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (++digits == 8) break;
        } else if (digits != 4 && digits != 6) {
            if (digits > 0) return 0;  // "2010-12-31": separators only between year, month and day
        }
    }
    if (digits != 8) return 0;
    const int month = value / 100 % 100, day = value % 100;
    if (month < 1 || month > 12 || day < 1 || day > 31) return 0;
    return value;
}

std::string FormatDate(int d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d / 10000, d / 100 % 100, d % 100);
    return buf;
}

void Book::SetYearEnd(int yyyymmdd) {
    yearEnd = yyyymmdd;
    if (!Dated()) return;
    // The fiscal year: after the same day a year before, up to the year end.
    const int start = yyyymmdd - 10000;
    for (Account& a : accounts) {
        a.balance = a.flow = 0;
        for (const Posting& p : a.postings) {
            if (p.date > yyyymmdd) continue;
            a.balance += p.amount;
            if (p.date > start && !p.closing) a.flow += p.amount;
        }
    }
}

int Book::DefaultYearEnd() const {
    const Edition& edition = CurrentEdition();
    const int latestEnd = edition.latest * 10000 + 1231;
    if (!Dated() || !firstDate) return latestEnd;
    // The latest 31 December of the edition's years within the book's dates;
    // for a book that ends before one, the first 31 December after its last
    // posting.
    for (int year = edition.latest; year >= edition.Earliest(); --year) {
        const int end = year * 10000 + 1231;
        if (firstDate <= end && end <= lastDate) return end;
    }
    for (int year = edition.Earliest(); year <= edition.latest; ++year)
        if (year * 10000 + 1231 >= lastDate) return year * 10000 + 1231;
    return latestEnd;
}

std::string TrialBalanceKey(const std::string& path) {
    QString p = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    p.replace(digits, QStringLiteral("#"));
    return "file:" + p.toStdString();
}

// ---------------------------------------------------------------- kinds

namespace {

AccountClass classOfType(const std::string& t) {
    static const std::map<std::string, AccountClass> m = {
        {"ASSET", AccountClass::Asset},         {"BANK", AccountClass::Asset},
        {"CASH", AccountClass::Asset},          {"RECEIVABLE", AccountClass::Asset},
        {"STOCK", AccountClass::Asset},         {"MUTUAL", AccountClass::Asset},
        {"LIABILITY", AccountClass::Liability}, {"PAYABLE", AccountClass::Liability},
        {"CREDIT", AccountClass::Liability},    {"EQUITY", AccountClass::Equity},
        {"INCOME", AccountClass::Income},       {"EXPENSE", AccountClass::Expense}};
    auto it = m.find(t);
    return it == m.end() ? AccountClass::Unknown : it->second;
}

// A GnuCash amount "num/denom" (or its two parts) in ten-thousandths.
std::int64_t tenThousandths(std::int64_t num, std::int64_t denom) {
    if (denom <= 0) return 0;
    if (10000 % denom == 0) return num * (10000 / denom);
    return static_cast<std::int64_t>(std::llround(static_cast<long double>(num) * 10000 / denom));
}

std::int64_t parseRational(const std::string& s) {
    const auto slash = s.find('/');
    try {
        const std::int64_t num = std::stoll(s.substr(0, slash));
        const std::int64_t denom = slash == std::string::npos ? 1 : std::stoll(s.substr(slash + 1));
        return tenThousandths(num, denom);
    } catch (const std::exception&) {
        throw ReadError(readmsg::kNotBook);
    }
}

struct RawAccount {
    std::string guid, name, type, parent, code;
    bool hidden = false;
    std::string currency;  // its commodity's symbol ("CAD")
};

// The accounts below the root, with their full names; the root itself, the
// scheduled transactions' template accounts and trading accounts are left out.
void buildAccounts(Book& book, const std::vector<RawAccount>& raw, const std::string& rootGuid,
                   std::unordered_map<std::string, int>& indexOfGuid) {
    std::unordered_map<std::string, const RawAccount*> byGuid;
    for (const auto& r : raw) byGuid[r.guid] = &r;
    std::string root = rootGuid;
    if (root.empty())
        for (const auto& r : raw)
            if (r.type == "ROOT" && r.parent.empty()) root = r.guid;
    for (const auto& r : raw) {
        if (r.type == "ROOT" || r.type == "TRADING") continue;
        // Its path up to the root (a loop or a missing parent leaves it out).
        std::vector<const RawAccount*> chain{&r};
        bool underRoot = false;
        for (int guard = 0; guard < 64; ++guard) {
            const std::string& p = chain.back()->parent;
            if (p == root) {
                underRoot = true;
                break;
            }
            auto it = byGuid.find(p);
            if (it == byGuid.end()) break;
            chain.push_back(it->second);
        }
        if (!underRoot) continue;
        Account a;
        a.key = r.guid;
        a.code = r.code;
        a.name = r.name;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            a.fullName += (a.fullName.empty() ? "" : ":") + (*it)->name;
        a.type = r.type;
        a.currency = r.currency;
        a.cls = classOfType(r.type);
        indexOfGuid[r.guid] = static_cast<int>(book.accounts.size());
        book.accounts.push_back(std::move(a));
    }
    if (book.accounts.empty()) throw ReadError(readmsg::kBookNoAccounts);
    // The books' currency: that of most accounts.
    std::map<std::string, int> count;
    for (const auto& a : book.accounts)
        if (!a.currency.empty() && ++count[a.currency] > count[book.currency]) book.currency = a.currency;
}

void finishDates(Book& book) {
    for (const auto& a : book.accounts)
        for (const auto& p : a.postings) {
            if (!book.firstDate || p.date < book.firstDate) book.firstDate = p.date;
            if (p.date > book.lastDate) book.lastDate = p.date;
        }
}

} // namespace

BookKind KindOfFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) throw CannotOpen(path, f.errorString().toStdString());
    const QByteArray head = f.read(64);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16))) return BookKind::GnuCashSqlite;
    if (head.startsWith("\x1f\x8b")) return BookKind::GnuCashXml;
    // Any XML file goes to the book reader, which says when it is not a book
    // (another program's XML, or a book cut short before its first element).
    if (head.trimmed().startsWith("<") || head.startsWith("\xef\xbb\xbf<")) return BookKind::GnuCashXml;
    return BookKind::TrialBalance;
}

Book ReadBookFile(const std::string& path) {
    // Never the program's own store: closing our descriptor would drop its locks.
    if (const std::string refusal = StoreFileInUseMessage(path); !refusal.empty()) throw std::runtime_error(refusal);
    Book book;
    switch (KindOfFile(path)) {
    case BookKind::GnuCashSqlite: book = ReadGnuCashSqlite(path); break;
    case BookKind::GnuCashXml: book = ReadGnuCashXml(path); break;
    case BookKind::TrialBalance: book = ReadTrialBalance(path); break;
    }
    book.SetYearEnd(book.DefaultYearEnd());
    return book;
}

// ---------------------------------------------------------------- SQLite

namespace {

class SqliteBook {
public:
    explicit SqliteBook(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            fail();
        // The file is not trusted: no function of its schema runs, nothing
        // can write it, strings and blobs are bounded, and a query stops
        // after a few seconds.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_exec(db_, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        sqlite3_progress_handler(db_, 10000, &SqliteBook::progress, this);
    }
    ~SqliteBook() { sqlite3_close(db_); }

    [[noreturn]] void fail() {
        if (timedOut_) throw ReadError(readmsg::kBookTooSlow);
        throw ReadError(readmsg::kBookDamaged, db_ ? sqlite3_errmsg(db_) : "");
    }

    // Runs a query of this file's own text; calls row for each row.
    template <class F>
    void each(const char* sql, F&& row) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK) fail();
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) row(st);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) fail();
    }

    bool isTable(const char* name) {
        bool table = false;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, "select type from sqlite_master where name = ?", -1, &st, nullptr) != SQLITE_OK)
            fail();
        sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
        if (sqlite3_step(st) == SQLITE_ROW) table = std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) == "table";
        sqlite3_finalize(st);
        return table;
    }

private:
    static int progress(void* self) {
        auto* b = static_cast<SqliteBook*>(self);
        b->timedOut_ = std::chrono::steady_clock::now() > b->deadline_;
        return b->timedOut_ ? 1 : 0;
    }
    sqlite3* db_ = nullptr;
    std::chrono::steady_clock::time_point deadline_;
    bool timedOut_ = false;
};

std::string text(sqlite3_stmt* st, int col) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return t ? std::string(t, static_cast<size_t>(sqlite3_column_bytes(st, col))) : std::string();
}

} // namespace

namespace {

// A GUID as two 64-bit halves, so that a hundred thousand splits find their
// transaction and account without a string being made for each.
struct Guid {
    std::uint64_t hi = 0, lo = 0;
    bool operator==(const Guid& o) const { return hi == o.hi && lo == o.lo; }
};
struct GuidHash {
    size_t operator()(const Guid& g) const { return static_cast<size_t>(g.hi * 0x9E3779B97F4A7C15ull ^ g.lo); }
};

Guid guidOf(sqlite3_stmt* st, int col) {
    static const auto digit = [] {
        std::array<signed char, 256> d{};
        d.fill(-1);
        for (int c = 0; c < 10; ++c) d[static_cast<size_t>('0' + c)] = static_cast<signed char>(c);
        for (int c = 0; c < 6; ++c) {
            d[static_cast<size_t>('a' + c)] = static_cast<signed char>(10 + c);
            d[static_cast<size_t>('A' + c)] = static_cast<signed char>(10 + c);
        }
        return d;
    }();
    const auto* t = sqlite3_column_text(st, col);
    const int n = sqlite3_column_bytes(st, col);
    Guid g;
    bool hex = n == 32;
    for (int k = 0; hex && k < 16; ++k) {
        const int a = digit[t[k]], b = digit[t[k + 16]];
        hex = (a | b) >= 0;
        g.hi = (g.hi << 4) | static_cast<std::uint64_t>(a & 15);
        g.lo = (g.lo << 4) | static_cast<std::uint64_t>(b & 15);
    }
    if (hex) return g;
    // Not GnuCash's form: the text's own hash (FNV-1a) and its length.
    g = Guid{1469598103934665603ull, (1ull << 63) | static_cast<std::uint64_t>(n)};
    for (int k = 0; t && k < n; ++k) g.hi = (g.hi ^ t[k]) * 1099511628211ull;
    return g;
}

// The transactions by GUID: an open-addressing table, sized once, with no
// allocation per entry (tens of thousands of transactions are looked up a
// hundred thousand times).
template <class V>
class GuidTable {
public:
    explicit GuidTable(size_t count) {
        size_t n = 16;
        while (n < count * 2) n *= 2;
        slots_.resize(n);
    }
    V& operator[](const Guid& g) {
        Slot& s = find(g);
        if (!s.used) {
            s.used = true;
            s.key = g;
        }
        return s.value;
    }
    const V* get(const Guid& g) const {
        const Slot& s = const_cast<GuidTable*>(this)->find(g);
        return s.used ? &s.value : nullptr;
    }

private:
    struct Slot {
        Guid key;
        V value{};
        bool used = false;
    };
    Slot& find(const Guid& g) {
        const size_t mask = slots_.size() - 1;
        for (size_t k = GuidHash()(g) & mask;; k = (k + 1) & mask)
            if (!slots_[k].used || slots_[k].key == g) return slots_[k];
    }
    std::vector<Slot> slots_;
};

} // namespace

Book ReadGnuCashSqlite(const std::string& path) {
    SqliteBook db(path);
    for (const char* t : {"books", "accounts", "transactions", "splits", "slots"})
        if (!db.isTable(t)) throw ReadError(readmsg::kNotBook);
    Book book;
    book.kind = BookKind::GnuCashSqlite;
    book.path = path;
    std::string root;
    db.each("select guid, root_account_guid from books", [&](sqlite3_stmt* st) {
        if (book.key.empty()) {
            book.key = "gnucash:" + text(st, 0);
            root = text(st, 1);
        }
    });
    db.each("select string_val from slots where name = 'options/Business/Company Name'",
            [&](sqlite3_stmt* st) { book.company = text(st, 0); });
    std::vector<RawAccount> raw;
    db.each("select guid, name, account_type, parent_guid, code, hidden from accounts", [&](sqlite3_stmt* st) {
        raw.push_back({text(st, 0), text(st, 1), text(st, 2), text(st, 3), text(st, 4), sqlite3_column_int(st, 5) != 0, {}});
    });
    if (db.isTable("commodities")) {
        std::unordered_map<std::string, std::string> symbol;
        db.each("select a.guid, c.mnemonic from accounts a join commodities c on c.guid = a.commodity_guid",
                [&](sqlite3_stmt* st) { symbol[text(st, 0)] = text(st, 1); });
        for (auto& r : raw)
            if (auto it = symbol.find(r.guid); it != symbol.end()) r.currency = it->second;
    }
    std::unordered_map<std::string, int> byText;
    buildAccounts(book, raw, root, byText);
    GuidTable<int> account(raw.size());  // the index of each account read, plus one
    db.each("select guid from accounts", [&](sqlite3_stmt* st) {
        auto it = byText.find(text(st, 0));
        if (it != byText.end()) account[guidOf(st, 0)] = it->second + 1;
    });
    std::unordered_set<Guid, GuidHash> closing;
    db.each("select obj_guid from slots where name = 'book_closing' and int64_val <> 0",
            [&](sqlite3_stmt* st) { closing.insert(guidOf(st, 0)); });
    struct Tx {
        int date;
        bool closing;
    };
    size_t count = 0;
    db.each("select count(*) from transactions",
            [&](sqlite3_stmt* st) { count = static_cast<size_t>(sqlite3_column_int64(st, 0)); });
    if (count > static_cast<size_t>(BookLimits().maxRows)) throw ReadError(readmsg::kTooManyRows);
    GuidTable<Tx> transactions(count);
    db.each("select guid, post_date from transactions", [&](sqlite3_stmt* st) {
        const Guid g = guidOf(st, 0);
        const auto* date = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        transactions[g] = {ParseDate(date ? std::string_view(date, static_cast<size_t>(sqlite3_column_bytes(st, 1)))
                                          : std::string_view()),
                           !closing.empty() && closing.count(g) > 0};
    });
    // A transaction's splits are usually stored one after the other: the
    // last one looked up is tried first.
    Guid lastGuid{~0ull, ~0ull};
    const Tx* last = nullptr;
    db.each("select account_guid, tx_guid, value_num, value_denom from splits", [&](sqlite3_stmt* st) {
        const int* a = account.get(guidOf(st, 0));
        if (!a || *a == 0) return;
        const Guid g = guidOf(st, 1);
        if (!(g == lastGuid)) {
            last = transactions.get(g);
            lastGuid = g;
        }
        if (!last) return;
        book.accounts[static_cast<size_t>(*a - 1)].postings.push_back(
            {last->date, tenThousandths(sqlite3_column_int64(st, 2), sqlite3_column_int64(st, 3)), last->closing});
    });
    finishDates(book);
    return book;
}

// ---------------------------------------------------------------- XML

namespace {

bool is(SafeXml& x, const char* qualified) { return x.reader().qualifiedName() == QLatin1String(qualified); }

// Calls f at each child element of the element just started; f reads it to
// its end (ElementText, Skip or eachChild).
template <class F>
void eachChild(SafeXml& x, F&& f) {
    for (;;) {
        const auto t = x.Next();
        if (t == QXmlStreamReader::StartElement) f();
        else if (t == QXmlStreamReader::EndElement) return;
        else if (t == QXmlStreamReader::EndDocument) {
            x.Finish();
            throw ReadError(readmsg::kBadXml, x.part());
        }
    }
}

constexpr int kTextLimit = 4096;

std::string elementText(SafeXml& x) { return x.ElementText(kTextLimit).trimmed().toStdString(); }

// The slots of a <*:slots> element as "frame/key" -> value texts.
void readSlots(SafeXml& x, const std::string& prefix, std::map<std::string, std::string>& out) {
    eachChild(x, [&] {
        if (!is(x, "slot")) return x.Skip();
        std::string key;
        eachChild(x, [&] {
            if (is(x, "slot:key")) {
                key = elementText(x);
            } else if (is(x, "slot:value")) {
                if (x.reader().attributes().value(QLatin1String("type")) == QLatin1String("frame"))
                    readSlots(x, prefix + key + "/", out);
                else
                    out[prefix + key] = elementText(x);
            } else {
                x.Skip();
            }
        });
    });
}

} // namespace

Book ReadGnuCashXml(const std::string& path) {
    GzipDevice device(path, BookLimits());
    SafeXml x(&device, QFileInfo(QString::fromStdString(path)).fileName().toStdString());
    Book book;
    book.kind = BookKind::GnuCashXml;
    book.path = path;
    std::vector<RawAccount> raw;
    struct RawSplit {
        std::string account;
        int date;
        std::int64_t amount;
        bool closing;
    };
    std::vector<RawSplit> splits;
    bool sawRoot = false;
    while (!x.AtEnd()) {
        QXmlStreamReader::TokenType t;
        try {
            t = x.Next();
        } catch (const ReadError& e) {
            if (!sawRoot && (e.id() == readmsg::kBadXml || e.id() == readmsg::kTruncatedXml))
                throw ReadError(readmsg::kNotBook);
            throw;
        }
        if (t != QXmlStreamReader::StartElement) continue;
        if (!sawRoot) {
            if (x.reader().name() != QLatin1String("gnc-v2")) throw ReadError(readmsg::kNotBook);
            sawRoot = true;
            continue;
        }
        if (is(x, "gnc:book") || is(x, "gnc:count-data")) {
            if (is(x, "gnc:count-data")) x.Skip();
            continue;  // its children follow at this level
        }
        if (is(x, "book:id")) {
            if (book.key.empty()) book.key = "gnucash:" + elementText(x);
            else x.Skip();
        } else if (is(x, "book:slots")) {
            std::map<std::string, std::string> slotValues;
            readSlots(x, "", slotValues);
            auto it = slotValues.find("options/Business/Company Name");
            if (it != slotValues.end()) book.company = it->second;
        } else if (is(x, "gnc:account")) {
            RawAccount a;
            eachChild(x, [&] {
                if (is(x, "act:name")) a.name = elementText(x);
                else if (is(x, "act:id")) a.guid = elementText(x);
                else if (is(x, "act:type")) a.type = elementText(x);
                else if (is(x, "act:code")) a.code = elementText(x);
                else if (is(x, "act:parent")) a.parent = elementText(x);
                else if (is(x, "act:commodity"))
                    eachChild(x, [&] {
                        if (is(x, "cmdty:id")) a.currency = elementText(x);
                        else x.Skip();
                    });
                else x.Skip();
            });
            raw.push_back(std::move(a));
        } else if (is(x, "gnc:transaction")) {
            int date = 0;
            bool closing = false;
            const size_t first = splits.size();
            eachChild(x, [&] {
                if (is(x, "trn:date-posted")) {
                    date = ParseDate(elementText(x));
                } else if (is(x, "trn:slots")) {
                    std::map<std::string, std::string> slotValues;
                    readSlots(x, "", slotValues);
                    auto it = slotValues.find("book_closing");
                    closing = it != slotValues.end() && it->second != "0";
                } else if (is(x, "trn:splits")) {
                    eachChild(x, [&] {
                        if (!is(x, "trn:split")) return x.Skip();
                        RawSplit s{{}, 0, 0, false};
                        eachChild(x, [&] {
                            if (is(x, "split:value")) s.amount = parseRational(elementText(x));
                            else if (is(x, "split:account")) s.account = elementText(x);
                            else x.Skip();
                        });
                        splits.push_back(std::move(s));
                    });
                } else {
                    x.Skip();
                }
            });
            for (size_t k = first; k < splits.size(); ++k) {
                splits[k].date = date;
                splits[k].closing = closing;
            }
        } else {
            x.Skip();  // commodities, prices, scheduled transactions and their templates, budgets
        }
    }
    x.Finish();
    if (!sawRoot) throw ReadError(readmsg::kNotBook);
    std::unordered_map<std::string, int> index;
    buildAccounts(book, raw, {}, index);
    for (const auto& s : splits) {
        auto it = index.find(s.account);
        if (it == index.end()) continue;
        book.accounts[static_cast<size_t>(it->second)].postings.push_back({s.date, s.amount, s.closing});
    }
    finishDates(book);
    return book;
}

} // namespace zorva::books
