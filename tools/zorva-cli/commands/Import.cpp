// zorva-cli import: enterprises, a statement or books saved in the user store.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "CliMessages.h"
#include "Enterprises.h"
#include "Json.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "core/Strings.h"
#include "enterprise/BoundedRead.h"
#include "enterprise/ImportFlow.h"
#include "enterprise/NumberText.h"
#include "enterprise/SheetFile.h"
#include "enterprise/ValuesFlow.h"

#include <QString>

#include <optional>
#include <ostream>

namespace zorva::cli {

namespace {

// A file laid out as the statement template (a line item and its amount on
// each row) rather than one enterprise per row under MyValues columns: its
// first row is not all column names, and its rows name line items.
bool isStatementFile(const std::string& path) {
    SheetDocument doc(path);
    const auto rows = doc.Rows(doc.FirstVisibleSheet());
    if (rows.empty()) return false;
    bool allColumns = true;
    for (const auto& c : rows.front().cells) {
        const QString name = QString::fromStdString(c.text).trimmed();
        allColumns = allColumns && (name.isEmpty() || FieldByColumn(name.toStdString()));
    }
    if (allColumns) return false;
    const import::StatementPreview p = import::ReadStatement(rows, 0);
    return p.layout == import::Layout::TwoColumns && p.lines.size() >= 2;
}

// The one enterprise of a statement file, as the values screen imports it
// into a new record: refused when a line cannot be read.
EnterpriseInput statementInput(const std::string& path, int lang) {
    const import::StatementPreview p = import::ReadStatementFile(path, lang);
    EnterpriseInput in;
    in.line = 1;
    InitializeValues(in.record, lang);
    for (const auto& l : p.lines)
        if (!l.ok && !l.computed && l.problem != Txt(import::kProblemNoAmount, lang) && in.ok) {
            in.ok = false;
            in.message = l.label + " (" + l.cell + "): " + l.problem;
        }
    if (in.ok && !import::ApplyStatement(p, in.record)) {
        in.ok = false;
        in.message = Txt(kMsgNumberOutOfRange, lang);
    }
    return in;
}

int cmdImportBooks(const Options& o, std::ostream& out) {
    if (o.has("values")) throw UsageError("give --books or --values, not both");
    const int lang = languageOf(o);
    const std::string& path = o.get("books");
    refuseStoreFile(path);
    if (o.has("mapping")) refuseStoreFile(o.get("mapping"));
    values::BooksOptions options;
    if (o.has("year-end")) options.yearEnd = o.get("year-end");
    if (o.has("name")) options.name = o.get("name");
    if (o.has("mapping")) options.mappingFile = o.get("mapping");
    MessageCapture messages(o.has("replace") ? MsgAnswer::OK : MsgAnswer::Cancel,
                            o.has("accept-unbalanced") ? MsgAnswer::Yes : MsgAnswer::No);
    values::BooksImportResult r;
    try {
        r = values::ImportBooksToStore(gcnUser, path, options, lang);
    } catch (const ReadError& e) {
        throw UsageError(path + ": " + e.Message(lang));
    } catch (const DbError&) {
        throw;
    } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
    }
    std::string reason = r.reason;
    const std::string status = saveStatus(r.saved, o.has("skip"), lang, messages, reason);
    auto money = [](std::int64_t v) { return NumberJson(static_cast<double>(v) / 10000); };
    Json leftOut = Json::array();
    for (size_t k : r.statement.leftOut) leftOut.push_back(r.book.accounts[k].fullName);
    JsonObject line;
    line.addString("file", path).addString("FirmName", r.record[Field::FirmName]);
    auto year = ParseNumber(r.record[Field::Year]);
    line.add("Year", year ? NumberJson(*year) : Json(r.record[Field::Year]));
    line.addString("yearEnd", books::FormatDate(r.book.yearEnd));
    line.addString("status", status.empty() ? "refused" : status);
    if (status.empty()) line.addString("reason", reason);
    line.addBool("balanced", r.statement.balanced)
        .add("totalAssets", money(r.statement.totalAssets))
        .add("totalLiabilitiesAndEquity", money(r.statement.totalLiabilitiesAndEquity))
        .add("closedIntoRetainedEarnings", money(r.statement.closedIntoRetainedEarnings))
        .add("accounts", Json(static_cast<long>(r.book.accounts.size())))
        .add("remembered", Json(r.remembered))
        .add("leftOut", leftOut)
        .addBool("mappingRemembered", r.mappingRemembered);
    out << line.str() << "\n";
    return status.empty() ? kExitFailed : kExitOk;
}

// Enterprises stored per transaction by import --values.
constexpr size_t kImportBatch = 2000;

} // namespace

int cmdImport(const Options& o, std::ostream& out) {
    if (o.has("replace") && o.has("skip")) throw UsageError("give --replace or --skip, not both");
    if (o.has("books")) return cmdImportBooks(o, out);
    for (const char* booksOnly : {"year-end", "name", "mapping", "accept-unbalanced"})
        if (o.has(booksOnly)) throw UsageError(std::string("--") + booksOnly + " goes with --books");
    requireOptions(o, {"values"});
    const int lang = languageOf(o);
    const std::string& path = o.get("values");
    refuseStoreFile(path);
    long refused = 0;
    std::vector<std::string> lines;
    // Saved as the values screen saves, the replace question answered by
    // --replace (OK) or --skip (Cancel). The rows are stored in transactions
    // of kImportBatch: each enterprise is stored whole or not at all, and the
    // lines of a transaction are written once it is committed, so that the
    // output of an import ended half-way names exactly the lines stored.
    MessageCapture messages(o.has("replace") ? MsgAnswer::OK : MsgAnswer::Cancel);
    std::optional<Transaction> tx;
    auto commit = [&] {
        if (tx) tx->Commit();
        tx.reset();
        for (const auto& l : lines) out << l << "\n";
        out.flush();
        lines.clear();
    };
    bool started = false;
    auto store = [&](EnterpriseInput& in) {
        started = true;
        if (!tx) tx.emplace(gcnUser);
        RecordTexts record = in.record;
        std::string status, reason;
        if (!in.ok) {
            reason = in.message;
        } else {
            values::PlainRecord holder(record, lang);
            const values::SaveResult saved = values::Save(holder, gcnUser, false);
            record = holder.Record();
            status = saveStatus(saved, o.has("skip"), lang, messages, reason);
        }
        JsonObject line;
        line.add("line", Json(in.line)).addString("FirmName", record[Field::FirmName]);
        auto n = ParseNumber(record[Field::Year]);
        line.add("Year", n ? NumberJson(*n) : Json(record[Field::Year]));
        if (!reason.empty()) {
            ++refused;
            line.addString("status", "refused").addString("reason", reason);
        } else {
            line.addString("status", status);
        }
        lines.push_back(line.str());
        if (lines.size() >= kImportBatch) commit();
    };
    try {
        // A file of enterprises (its header names MyValues columns) is read a
        // record at a time; anything else may be one statement.
        if (!HeaderNamesColumns(path) && isStatementFile(path)) {
            EnterpriseInput in = statementInput(path, lang);
            store(in);
        } else {
            ForEachEnterpriseOfFile(path, "", lang, store);
        }
    } catch (const ReadError& e) {
        if (started) throw;
        throw UsageError(path + ": " + e.Message(lang));
    } catch (const DbError&) {
        throw;
    } catch (const std::runtime_error& e) {
        if (started) throw;
        throw UsageError(path + ": " + e.what());
    }
    commit();
    return refused ? kExitFailed : kExitOk;
}

} // namespace zorva::cli
