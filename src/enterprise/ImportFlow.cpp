#include "enterprise/ImportFlow.h"

#include "core/Edition.h"

#include "core/Globals.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseScreens.h"
#include "enterprise/RecordStore.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace zorva {

namespace {

// Replaces each placeholder ("{F}") by its piece.
std::string fill(std::string text, const std::vector<std::pair<const char*, std::string>>& pieces) {
    for (const auto& [mark, piece] : pieces) {
        const std::string m = mark;
        for (auto at = text.find(m); at != std::string::npos; at = text.find(m, at + piece.size()))
            text.replace(at, m.size(), piece);
    }
    return text;
}

bool sameName(const std::string& a, const std::string& b) {
    auto key = [](const std::string& s) { return QString::fromStdString(s).trimmed().toUpper().toLower(); };
    return key(a) == key(b);
}

std::string readErrorText(const std::exception& e, int language) {
    if (const auto* r = dynamic_cast<const ReadError*>(&e)) return Txt(values::kMsgCannotRead, language) + r->Message(language);
    return Txt(values::kMsgCannotRead, language) + e.what();
}

} // namespace

// ---------------------------------------------------------------- reviews

void import::StatementReview::ChooseSheet(int sheet) {
    preview = ReadStatementDocument(*document, language, sheet);
}

void books::BooksReview::SetTarget(size_t account, Target target) {
    if (account >= mapping.targets.size()) return;
    mapping.targets[account] = target;
    Recompute();
}

void books::BooksReview::SetYearEnd(int yyyymmdd) {
    book.SetYearEnd(yyyymmdd);
    Recompute();
}

RecordTexts books::BooksReview::Record() const {
    RecordTexts r = statement.record;
    r[Field::FirmName] = name;
    r[Field::Year] = std::to_string(YearOf(book.yearEnd));
    return r;
}

std::vector<int> books::BooksReview::YearEnds() const {
    const Edition& edition = CurrentEdition();
    std::vector<int> ends;
    for (int slot = 0; slot < kEditionSlots; ++slot) ends.push_back(edition.Year(slot) * 10000 + 1231);
    if (std::find(ends.begin(), ends.end(), book.yearEnd) == ends.end()) ends.insert(ends.begin(), book.yearEnd);
    return ends;
}

std::string books::MoneyText(std::int64_t v, int language) {
    const bool negative = v < 0;
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v);
    const std::uint64_t cents = (magnitude + 50) / 100;  // halves away from zero
    std::string whole = std::to_string(cents / 100);
    const std::string group = language ? "\xC2\xA0" : ",";  // fr-CA groups with a no-break space
    for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(static_cast<size_t>(at), group);
    const unsigned c = static_cast<unsigned>(cents % 100);
    return std::string(negative && cents ? "-" : "") + whole + (language ? "," : ".") + static_cast<char>('0' + c / 10) +
           static_cast<char>('0' + c % 10);
}

namespace values {

std::string AnotherEnterpriseQuestion(const std::string& fileName, const std::string& screenName, int language) {
    return fill(Txt(kMsgAnotherEnterprise, language), {{"{F}", fileName}, {"{S}", screenName}});
}

std::string UnbalancedText(const books::Statement& s, int language) {
    return fill(Txt(kMsgUnbalanced, language),
                {{"{A}", books::MoneyText(s.totalAssets, language)},
                 {"{L}", books::MoneyText(s.totalLiabilitiesAndEquity, language)},
                 {"{D}", books::MoneyText(std::llabs(s.totalAssets - s.totalLiabilitiesAndEquity), language)}});
}

std::string NoAmountText(const books::Book& book, const books::Statement& s, int language) {
    return fill(Txt(s.leftOut.empty() ? kMsgNoAmount : kMsgAllLeftOut, language),
                {{"{E}", books::FormatDate(book.yearEnd)}});
}

std::string UnbalancedQuestion(const books::Statement& s, int language) {
    return UnbalancedText(s, language) + " " + Txt(kMsgImportAnyway, language);
}

namespace {

// Before the statement of another enterprise replaces the one on screen:
// the question, then the save question when the screen has unsaved changes.
// True when the import may go on; *other tells whether it is another one.
bool mayReplaceEnterprise(RecordHolder& holder, ConnectionHandle& user, const std::string& fileName, bool* other) {
    const std::string screenName = holder.Record()[Field::FirmName];
    *other = !fileName.empty() && store::VerifyFirmName(screenName, gintLanguage) && !sameName(fileName, screenName);
    if (!*other) return true;
    if (MsgBox(AnotherEnterpriseQuestion(fileName, screenName, gintLanguage), MsgButtons::YesNo, MsgIcon::Question) !=
        MsgAnswer::Yes)
        return false;
    return MayLeave(holder, user, Leaving::New);
}

} // namespace

bool ImportStatement(RecordHolder& holder, ConnectionHandle& user) {
    const std::string path = enterpriseScreens().ChooseStatementFile();
    return !path.empty() && ImportStatementFile(holder, user, path);
}

bool ImportStatementFile(RecordHolder& holder, ConnectionHandle& user, const std::string& path) {
    import::StatementReview review;
    review.path = path;
    review.language = gintLanguage;
    try {
        auto doc = std::make_shared<SheetDocument>(path);
        review.preview = import::ReadStatementDocument(*doc, gintLanguage);
        review.document = std::move(doc);
    } catch (const std::exception& e) {
        MsgBox(readErrorText(e, gintLanguage), MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    const RecordTexts screen = holder.Record();
    for (Field f : ValueFields())
        if (!IsComputed(f) && !review.preview.Names(f) && LeadingNumber(screen[f]) != 0)
            review.screenHasOtherValues = true;
    if (!enterpriseScreens().ConfirmImport(review)) return false;

    const std::string fileName = review.preview.FirmName();
    bool other = false;
    if (!mayReplaceEnterprise(holder, user, fileName, &other)) return false;
    if (!holder.FinishEditing()) return false;
    RecordTexts record = holder.Record();
    // Another enterprise's lines are never kept.
    if (!import::ApplyStatement(review.preview, record, review.keepOtherLines && !other)) {
        MsgBox(Txt(kMsgNumberOutOfRange), MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    if (!fileName.empty()) record[Field::FirmName] = fileName;
    holder.ShowRecord(record);
    holder.SetChanged(true);
    return true;
}

bool ImportBooks(RecordHolder& holder, ConnectionHandle& user) {
    const std::string path = enterpriseScreens().ChooseBooksFile();
    return !path.empty() && ImportBooksFile(holder, user, path);
}

bool ImportBooksFile(RecordHolder& holder, ConnectionHandle& user, const std::string& path) {
    books::BooksReview review;
    review.language = gintLanguage;
    std::map<std::string, books::Target> remembered;
    try {
        review.book = books::ReadBookFile(path);
    } catch (const std::exception& e) {
        MsgBox(readErrorText(e, gintLanguage), MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    try {
        remembered = books::LoadRememberedMapping(user, review.book.key);
    } catch (const DbError&) {
        // A store that cannot be read here only loses the remembered mapping.
    }
    review.mapping = books::MakeMapping(review.book, remembered, books::Why::Remembered);
    review.allRemembered =
        !review.book.accounts.empty() && review.mapping.remembered == static_cast<int>(review.book.accounts.size());
    const std::string screenName = holder.Record()[Field::FirmName];
    review.name = !review.book.company.empty()              ? review.book.company
                  : store::VerifyFirmName(screenName, gintLanguage) ? screenName
                                                            : QFileInfo(QString::fromStdString(path)).completeBaseName().toStdString();
    review.Recompute();
    for (;;) {
        if (!enterpriseScreens().ReviewBooks(review)) return false;
        if (review.statement.noAmount) {
            MsgBox(NoAmountText(review.book, review.statement, gintLanguage), MsgButtons::OK, MsgIcon::Exclamation);
            continue;
        }
        if (review.statement.outOfRange) {
            MsgBox(Txt(kMsgNumberOutOfRange), MsgButtons::OK, MsgIcon::Exclamation);
            continue;
        }
        if (review.statement.balanced ||
            MsgBox(UnbalancedQuestion(review.statement, gintLanguage), MsgButtons::YesNo, MsgIcon::Exclamation) ==
                MsgAnswer::Yes)
            break;
    }
    bool other = false;
    if (!mayReplaceEnterprise(holder, user, review.name, &other)) return false;
    try {
        if (!books::RememberMapping(user, review.book, review.mapping.targets))
            MsgBox(Txt(kMsgNotRemembered), MsgButtons::OK, MsgIcon::Information);
    } catch (const DbError& e) {
        MsgBox(Txt(kMsgNotRemembered) + "\n" + e.what(), MsgButtons::OK, MsgIcon::Information);
    }
    holder.ShowRecord(review.Record());
    holder.SetChanged(true);
    return true;
}

BooksImportResult ImportBooksToStore(ConnectionHandle& user, const std::string& path, const BooksOptions& options,
                                     int language) {
    BooksImportResult result;
    result.book = books::ReadBookFile(path);
    books::Book& book = result.book;
    if (!options.yearEnd.empty()) {
        const int end = books::ParseDate(options.yearEnd);
        if (!end) throw std::runtime_error("--year-end must be a date YYYY-MM-DD, not " + options.yearEnd);
        book.SetYearEnd(end);
    }
    std::map<std::string, books::Target> given = books::LoadRememberedMapping(user, book.key);
    const bool haveFile = !options.mappingFile.empty() && QFile::exists(QString::fromStdString(options.mappingFile));
    if (haveFile)
        for (const auto& [key, target] : books::ReadMappingFile(options.mappingFile, book)) given[key] = target;
    const books::Mapping mapping = books::MakeMapping(book, given, haveFile ? books::Why::MappingFile : books::Why::Remembered);
    result.remembered = mapping.remembered;
    result.statement = books::ComputeStatement(book, mapping.targets);
    if (!options.mappingFile.empty()) {
        std::ofstream out(options.mappingFile, std::ios::binary | std::ios::trunc);
        out << books::MappingCsv(book, mapping.targets);
        if (!out.flush()) throw std::runtime_error("cannot write the mapping file " + options.mappingFile);
    }

    RecordTexts& record = result.record;
    record = result.statement.record;
    record[Field::FirmName] = !options.name.empty()    ? options.name
                              : !book.company.empty() ? book.company
                                                      : QFileInfo(QString::fromStdString(path)).completeBaseName().toStdString();
    record[Field::Year] = std::to_string(books::YearOf(book.yearEnd));
    if (result.statement.noAmount) {
        result.reason = NoAmountText(book, result.statement, language);
        return result;
    }
    if (result.statement.outOfRange) {
        result.reason = Txt(kMsgNumberOutOfRange, language);
        return result;
    }
    if (!result.statement.balanced &&
        MsgBox(UnbalancedQuestion(result.statement, language), MsgButtons::YesNo, MsgIcon::Exclamation) !=
            MsgAnswer::Yes) {
        result.reason = UnbalancedText(result.statement, language);
        return result;
    }
    PlainRecord holder(record, language);
    result.saved = Save(holder, user, false);
    record = holder.Record();
    if (IsSaved(result.saved)) {
        try {
            result.mappingRemembered = books::RememberMapping(user, book, mapping.targets);
        } catch (const DbError&) {
            result.mappingRemembered = false;
        }
    }
    return result;
}

} // namespace values
} // namespace zorva
