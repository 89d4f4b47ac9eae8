// From books to a previewed statement, as File > Import from books does it
// up to the preview on screen: a GnuCash book of 500 accounts and 50,000
// transactions (two splits each, three fiscal years) read from its file,
// the remembered mapping looked up in the user store, every account given a
// line item, the statement computed, and the preview dialog filled with the
// accounts and the statement. The book is GnuCash's own SQLite layout (the
// committed test book, emptied and filled again) and the same book written
// in GnuCash's gzip-compressed XML.
//
// BM_SqliteBookToPreview   the whole road for the SQLite book, preview included
// BM_XmlBookToPreview      the same for the XML book
// BM_ChangeOneLineItem     one change of line item in the preview: the statement recomputed and shown
// BM_ReadSqliteBook, BM_FillPreview   two steps of the first on their own

#include "BenchStores.h"
#include "enterprise/BookMapping.h"
#include "enterprise/ImportFlow.h"
#include "enterprise/ui/frmBooksPreview.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <zlib.h>

#include <filesystem>
#include <iostream>
#include <random>

namespace fs = std::filesystem;
using namespace zorva;

namespace {

constexpr int kAccounts = 500;
constexpr int kTransactions = 50000;

struct Made {
    std::string sqlite, xml;
};

std::string guid(int kind, int n) {
    char buf[33];
    std::snprintf(buf, sizeof buf, "%08x%08x0000000000000000", kind, n);
    return buf;
}

const char* const kTypes[] = {"BANK", "RECEIVABLE", "ASSET", "ASSET", "PAYABLE", "LIABILITY",
                              "EQUITY", "INCOME", "EXPENSE", "EXPENSE"};
const char* const kNames[] = {"Chequing", "Accounts Receivable", "Inventory", "Equipment", "Accounts Payable",
                              "Bank loan", "Share capital", "Sales", "Rent", "Wages"};

// Account k: its type, name and parent (ten groups of fifty under the root).
struct Plan {
    std::string root = guid(1, 0);
    std::vector<std::string> ids;
    std::vector<std::pair<int, int>> splits;  // per transaction: the two accounts
    std::vector<long long> cents;
    std::vector<int> dates;
    Plan() {
        for (int k = 0; k < kAccounts; ++k) ids.push_back(guid(2, k));
        std::mt19937 rng(20101231);
        for (int t = 0; t < kTransactions; ++t) {
            const int a = static_cast<int>(rng() % kAccounts), b = static_cast<int>(rng() % kAccounts);
            splits.emplace_back(a, b == a ? (b + 1) % kAccounts : b);
            cents.push_back(100 + static_cast<long long>(rng() % 1000000));
            const int day = static_cast<int>(rng() % (3 * 365));
            const int year = 2008 + day / 365, doy = day % 365;
            dates.push_back(year * 10000 + (doy / 31 % 12 + 1) * 100 + doy % 28 + 1);
        }
    }
    const char* type(int k) const { return kTypes[k % 10]; }
    std::string name(int k) const { return std::string(kNames[k % 10]) + " " + std::to_string(k / 10); }
};

void exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::cerr << sql << ": " << (error ? error : "") << "\n";
        std::exit(1);
    }
}

std::string dateText(int d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d 10:59:00", d / 10000, d / 100 % 100, d % 100);
    return buf;
}

std::string makeSqlite(const Plan& plan, const std::string& dir) {
    const std::string path = dir + "/big-sqlite.gnucash";
    fs::copy_file(fs::path(ZORVA_BENCH_SOURCE_DIR) / "tests/support/books/northwind-sqlite.gnucash", path,
                  fs::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    exec(db, "begin");
    exec(db, "delete from splits; delete from transactions; delete from slots where name <> 'features' and name "
             "not like 'features/%'; update books set root_account_guid = '" + plan.root + "'; delete from accounts");
    exec(db, "insert into accounts (guid, name, account_type, commodity_guid, commodity_scu, non_std_scu, "
             "parent_guid, code, description, hidden, placeholder) values ('" + plan.root +
             "', 'Root Account', 'ROOT', null, 0, 0, null, '', '', 0, 0)");
    sqlite3_stmt* acc = nullptr;
    sqlite3_prepare_v2(db, "insert into accounts (guid, name, account_type, commodity_guid, commodity_scu, "
                           "non_std_scu, parent_guid, code, description, hidden, placeholder) values (?, ?, ?, null, "
                           "100, 0, ?, ?, '', 0, 0)", -1, &acc, nullptr);
    for (int k = 0; k < kAccounts; ++k) {
        const std::string name = plan.name(k), code = std::to_string(1000 + k * 9);
        sqlite3_bind_text(acc, 1, plan.ids[static_cast<size_t>(k)].c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(acc, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(acc, 3, plan.type(k), -1, SQLITE_STATIC);
        sqlite3_bind_text(acc, 4, plan.root.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(acc, 5, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(acc);
        sqlite3_reset(acc);
    }
    sqlite3_finalize(acc);
    sqlite3_stmt* tx = nullptr;
    sqlite3_stmt* sp = nullptr;
    sqlite3_prepare_v2(db, "insert into transactions (guid, currency_guid, num, post_date, enter_date, description) "
                           "values (?, '', '', ?, ?, 'Sale')", -1, &tx, nullptr);
    sqlite3_prepare_v2(db, "insert into splits (guid, tx_guid, account_guid, memo, action, reconcile_state, "
                           "reconcile_date, value_num, value_denom, quantity_num, quantity_denom, lot_guid) values "
                           "(?, ?, ?, '', '', 'n', null, ?, 100, ?, 100, null)", -1, &sp, nullptr);
    for (int t = 0; t < kTransactions; ++t) {
        const std::string id = guid(3, t), date = dateText(plan.dates[static_cast<size_t>(t)]);
        sqlite3_bind_text(tx, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(tx, 2, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(tx, 3, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(tx);
        sqlite3_reset(tx);
        for (int side = 0; side < 2; ++side) {
            const auto& [a, b] = plan.splits[static_cast<size_t>(t)];
            const std::string sid = guid(4 + side, t);
            const long long v = side ? -plan.cents[static_cast<size_t>(t)] : plan.cents[static_cast<size_t>(t)];
            sqlite3_bind_text(sp, 1, sid.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(sp, 2, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(sp, 3, plan.ids[static_cast<size_t>(side ? b : a)].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(sp, 4, v);
            sqlite3_bind_int64(sp, 5, v);
            sqlite3_step(sp);
            sqlite3_reset(sp);
        }
    }
    sqlite3_finalize(tx);
    sqlite3_finalize(sp);
    exec(db, "commit");
    sqlite3_close(db);
    return path;
}

std::string makeXml(const Plan& plan, const std::string& dir) {
    const std::string path = dir + "/big-xml.gnucash";
    gzFile gz = gzopen(path.c_str(), "wb6");
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<gnc-v2 xmlns:gnc=\"http://www.gnucash.org/XML/gnc\" "
                      "xmlns:act=\"http://www.gnucash.org/XML/act\" xmlns:book=\"http://www.gnucash.org/XML/book\" "
                      "xmlns:trn=\"http://www.gnucash.org/XML/trn\" xmlns:split=\"http://www.gnucash.org/XML/split\" "
                      "xmlns:ts=\"http://www.gnucash.org/XML/ts\">\n<gnc:book version=\"2.0.0\">\n"
                      "<book:id type=\"guid\">" + guid(9, 9) + "</book:id>\n";
    out += "<gnc:account version=\"2.0.0\"><act:name>Root Account</act:name><act:id type=\"guid\">" + plan.root +
           "</act:id><act:type>ROOT</act:type></gnc:account>\n";
    for (int k = 0; k < kAccounts; ++k)
        out += "<gnc:account version=\"2.0.0\">\n  <act:name>" + plan.name(k) + "</act:name>\n  <act:id type=\"guid\">" +
               plan.ids[static_cast<size_t>(k)] + "</act:id>\n  <act:type>" + plan.type(k) +
               "</act:type>\n  <act:code>" + std::to_string(1000 + k * 9) + "</act:code>\n  <act:parent type=\"guid\">" +
               plan.root + "</act:parent>\n</gnc:account>\n";
    gzwrite(gz, out.data(), static_cast<unsigned>(out.size()));
    for (int t = 0; t < kTransactions; ++t) {
        const auto& [a, b] = plan.splits[static_cast<size_t>(t)];
        const std::string v = std::to_string(plan.cents[static_cast<size_t>(t)]);
        out = "<gnc:transaction version=\"2.0.0\">\n  <trn:id type=\"guid\">" + guid(3, t) +
              "</trn:id>\n  <trn:date-posted>\n    <ts:date>" + dateText(plan.dates[static_cast<size_t>(t)]) +
              " +0000</ts:date>\n  </trn:date-posted>\n  <trn:description>Sale</trn:description>\n  <trn:splits>\n";
        for (int side = 0; side < 2; ++side)
            out += "    <trn:split>\n      <split:id type=\"guid\">" + guid(4 + side, t) +
                   "</split:id>\n      <split:reconciled-state>n</split:reconciled-state>\n      <split:value>" +
                   (side ? "-" : "") + v + "/100</split:value>\n      <split:quantity>" + (side ? "-" : "") + v +
                   "/100</split:quantity>\n      <split:account type=\"guid\">" +
                   plan.ids[static_cast<size_t>(side ? b : a)] + "</split:account>\n    </trn:split>\n";
        out += "  </trn:splits>\n</gnc:transaction>\n";
        gzwrite(gz, out.data(), static_cast<unsigned>(out.size()));
    }
    out = "</gnc:book>\n</gnc-v2>\n";
    gzwrite(gz, out.data(), static_cast<unsigned>(out.size()));
    gzclose(gz);
    return path;
}

const Made& made() {
    static const Made m = [] {
        const Plan plan;
        const std::string dir = (fs::temp_directory_path() / "zorva-bench-books").string();
        fs::create_directories(dir);
        return Made{makeSqlite(plan, dir), makeXml(plan, dir)};
    }();
    return m;
}

// The flow's steps up to the preview on screen.
void toPreview(const std::string& path, benchmark::State& state) {
    for (auto _ : state) {
        books::BooksReview review;
        review.book = books::ReadBookFile(path);
        review.mapping = books::MakeMapping(review.book, books::LoadRememberedMapping(gcnUser, review.book.key),
                                            books::Why::Remembered);
        review.name = "Bench";
        review.Recompute();
        frmBooksPreview preview;
        preview.SetReview(review);
        benchmark::DoNotOptimize(review.statement.totalAssets);
        if (review.book.accounts.size() != kAccounts) state.SkipWithError("the book was not read whole");
    }
}

void BM_SqliteBookToPreview(benchmark::State& state) { toPreview(made().sqlite, state); }
BENCHMARK(BM_SqliteBookToPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_XmlBookToPreview(benchmark::State& state) { toPreview(made().xml, state); }
BENCHMARK(BM_XmlBookToPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

// The steps on their own: reading the SQLite book, and filling the preview.
void BM_ReadSqliteBook(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(books::ReadBookFile(made().sqlite).accounts.size());
}
BENCHMARK(BM_ReadSqliteBook)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FillPreview(benchmark::State& state) {
    books::BooksReview review;
    review.book = books::ReadBookFile(made().sqlite);
    review.mapping = books::MakeMapping(review.book, {}, books::Why::Remembered);
    review.Recompute();
    for (auto _ : state) {
        frmBooksPreview preview;
        preview.SetReview(review);
    }
}
BENCHMARK(BM_FillPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChangeOneLineItem(benchmark::State& state) {
    books::BooksReview review;
    review.book = books::ReadBookFile(made().sqlite);
    review.mapping = books::MakeMapping(review.book, {}, books::Why::Remembered);
    review.Recompute();
    frmBooksPreview preview;
    preview.SetReview(review);
    int k = 0;
    for (auto _ : state) {
        preview.subChooseTarget(k % kAccounts, k % 2 ? books::Target::OA : books::Target::None);
        ++k;
    }
}
BENCHMARK(BM_ChangeOneLineItem)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::string why;
    if (!bench::OpenShippedStores(&why)) {
        std::cerr << why << "\n";
        return 1;
    }
    made();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
