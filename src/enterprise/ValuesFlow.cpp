#include "enterprise/ValuesFlow.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/Navigator.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/Text.h"
#include "enterprise/EnterpriseScreens.h"
#include "enterprise/RecordStore.h"
#include "selection/IndustrySearch.h"

namespace zorva {

namespace values {

void PlainRecord::Clear() {
    InitializeValues(record_, language_);
    record_[Field::NAICS].clear();
    changed_ = false;
}

namespace {

std::string yearMessage() { return ComparisonCheckMessage(ComparisonCheck::YearOutOfRange, gintLanguage); }

std::string nameOf(const RecordHolder& holder) { return holder.Record()[Field::FirmName]; }

// A save whose answer never came and that could not be checked yet (the
// server was still out of reach): the next save of the same record asks the
// store first, so the record is stored once, never twice and never lost.
struct SaveInDoubt {
    std::weak_ptr<Connection> connection;
    RecordTexts record;
    std::int16_t year = 0;
};
std::optional<SaveInDoubt>& saveInDoubt() {
    static std::optional<SaveInDoubt> d;
    return d;
}

bool sameRecord(const RecordTexts& a, const RecordTexts& b) {
    if (a[Field::FirmName] != b[Field::FirmName]) return false;
    for (Field f : ValueFields())
        if (a[f] != b[f]) return false;
    return true;
}

// Writes the record over the version expected; a connection lost on the way
// is settled by asking the store, once connected again, whether the record
// is there: true (written), false (changed meanwhile: nothing written).
// Throws the lost connection when the save did not take effect, and
// SaveStillInDoubt when the store cannot tell yet.
struct SaveStillInDoubt {};
bool writeSettled(ConnectionHandle& user, const RecordTexts& r, std::int16_t year, const store::StoredVersion& base) {
    try {
        return store::SaveRecordIfUnchanged(user, r, year, base);
    } catch (const DbError& lost) {
        if (!lost.connectionLost()) throw;
        bool stored = false;
        try {
            stored = store::StoredAsSaved(user, r, year);
        } catch (const DbError& again) {
            if (!again.connectionLost()) throw;
            saveInDoubt() = SaveInDoubt{user, r, year};
            throw SaveStillInDoubt{};
        }
        if (!stored) throw;
        return true;
    }
}

} // namespace

SaveResult Save(RecordHolder& holder, ConnectionHandle& user, bool skipWarnings) {
    if (!holder.FinishEditing()) return SaveResult::Refused;
    RecordTexts r = holder.Record();
    subRemoveBlanksCommas(r);
    holder.ShowRecord(r);
    const std::string& name = r[Field::FirmName];
    if (!store::VerifyFirmName(name, gintLanguage)) {
        MsgBox(Txt(store::kMsgInvalidName));
        return SaveResult::Refused;
    }
    // A NUL (from a file: nobody types one) cannot be stored on a server and
    // would cut the name short elsewhere.
    if (name.find('\0') != std::string::npos) {
        MsgBox(Txt(kMsgNameHoldsNul));
        return SaveResult::Refused;
    }
    const auto year = ReferenceYear(r[Field::Year]);
    if (!year) {
        MsgBox(yearMessage());
        return SaveResult::Refused;
    }
    // An earlier save of this record whose outcome was not known: the store
    // says now whether it took effect.
    if (auto& doubt = saveInDoubt(); doubt && doubt->connection.lock() == user && doubt->year == *year &&
                                     doubt->record[Field::FirmName] == name) {
        const bool earlierStored = store::StoredAsSaved(user, doubt->record, doubt->year);
        const bool sameAsEarlier = sameRecord(doubt->record, r);
        doubt.reset();
        if (earlierStored && sameAsEarlier) {
            MsgBox(Txt(kMsgEarlierSaveTookEffect));
            holder.SetChanged(false);
            return SaveResult::Saved;
        }
    }
    bool replacing = false;
    // What this copy saw of the record (opened, saved or deleted here), and
    // what is stored now: another copy or adviser may have saved it since.
    const std::optional<store::StoredVersion> seen = store::SeenVersion(user, name, *year);
    store::StoredVersion now = store::CurrentVersion(user, name, *year);
    const bool changedMeanwhile = seen && !store::SameVersion(*seen, now);
    if (!changedMeanwhile && !skipWarnings && now.exists) {
        if (MsgBox(store::ReplaceQuestion(name, std::to_string(*year), gintLanguage), MsgButtons::OKCancel) ==
            MsgAnswer::Cancel)
            return SaveResult::Declined;
        replacing = true;
    }
    // Written only over the version the user has decided about; a change in
    // between is asked about, never overwritten silently.
    store::StoredVersion base = changedMeanwhile ? *seen : now;
    for (;;) {
        try {
            if (writeSettled(user, r, *year, base)) break;
        } catch (const SaveStillInDoubt&) {
            MsgBox(Txt(kMsgSaveInDoubt), MsgButtons::OK, MsgIcon::Exclamation);
            return SaveResult::Declined;
        }
        now = store::CurrentVersion(user, name, *year);
        if (store::SameVersion(base, now)) continue;  // changed and changed back: write
        switch (MsgBox(store::ChangedMeanwhileQuestion(name, *year, now, gintLanguage), MsgButtons::YesNoCancel,
                       MsgIcon::Exclamation)) {
        case MsgAnswer::Yes:
            replacing = now.exists;
            base = now;
            break;
        case MsgAnswer::No:
            if (auto stored = store::LoadRecord(user, name, *year)) {
                (*stored)[Field::NAICS] = r[Field::NAICS];
                holder.ShowRecord(*stored);
            } else {
                holder.Clear();
            }
            holder.SetChanged(false);
            return SaveResult::Reloaded;
        default:
            return SaveResult::Declined;
        }
    }
    MsgBox(Txt(store::kMsgSaved));
    holder.SetChanged(false);
    return replacing ? SaveResult::Replaced : SaveResult::Saved;
}

namespace {
// The save question before a changed record is left (its own wording before
// the open-existing list); Yes saves without the replace question.
NewResult askToSave(RecordHolder& holder, ConnectionHandle& user, Leaving why) {
    if (!holder.Changed()) return NewResult::Done;
    const std::string question = why == Leaving::Open
                                     ? store::SaveChangesBeforeOpenQuestion(nameOf(holder), gintLanguage)
                                     : store::SaveChangesQuestion(nameOf(holder), gintLanguage);
    const MsgAnswer answer = MsgBox(question, MsgButtons::YesNoCancel);
    if (answer == MsgAnswer::Cancel) return NewResult::Cancelled;
    // A save that could not be made keeps the record on screen.
    if (answer == MsgAnswer::Yes && !IsSaved(Save(holder, user, true))) return NewResult::NotSaved;
    return NewResult::Done;
}
} // namespace

bool MayLeave(RecordHolder& holder, ConnectionHandle& user, Leaving why) {
    return askToSave(holder, user, why) == NewResult::Done;
}

NewResult StartNew(RecordHolder& holder, ConnectionHandle& user) {
    const NewResult result = askToSave(holder, user, Leaving::New);
    if (result == NewResult::Done) holder.Clear();
    return result;
}

void OpenExisting(RecordHolder& holder, ConnectionHandle& user) {
    if (!MayLeave(holder, user, Leaving::Open)) return;
    // The values screen stays where it is behind the list; the list's Open
    // sets gblnKeepValues itself when it puts a record on the screen.
    if (!navigator().ShowOpenExisting()) MsgBox(Txt(store::kMsgNoRecords));
}

bool OpenStored(ConnectionHandle& user, const std::string& name, std::int16_t year) {
    const auto record = store::LoadRecord(user, name, year);
    IndustryChoice& chosen = CurrentChoice().industry;
    const std::string saved = store::StoredIndustry(user, name, year);
    if (record && !saved.empty() && saved != chosen.naics) {
        auto fill = [&](int id) {
            return ReplaceAll(ReplaceAll(Txt(id), "{S}", IndustryCaption(gcnIndustry, saved, gintLanguage)), "{C}",
                              IndustryCaption(gcnIndustry, chosen.naics, gintLanguage));
        };
        const auto savedIndustry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, saved, gintLanguage);
        if (savedIndustry) {
            // The default answer (Yes, Enter) keeps the industry the user has
            // just chosen on the search screen.
            const MsgAnswer answer = MsgBox(fill(kMsgKeepChosenIndustry), MsgButtons::YesNoCancel, MsgIcon::Question);
            if (answer == MsgAnswer::Cancel) return false;
            if (answer == MsgAnswer::No) chosen = {savedIndustry->naics, savedIndustry->title, savedIndustry->sector};
        } else {
            MsgBox(fill(kMsgSavedIndustryNotInDataSet), MsgButtons::OK, MsgIcon::Information);
        }
    }
    navigator().HideSearch();
    gblnKeepValues = true;
    if (record) enterpriseScreens().ShowStoredRecord(*record);
    else navigator().ShowValues();
    // A year the program does not compare (older versions saved any): the
    // values are shown all the same, and the user is told what to change.
    if (record && !ReferenceYear(std::to_string(year)))
        MsgBox(StoredYearMessage(year, gintLanguage), MsgButtons::OK, MsgIcon::Information);
    return true;
}

bool MayReturn(RecordHolder& holder, ConnectionHandle& user) {
    if (!holder.Changed()) return true;
    holder.FinishEditing();
    // Cancel stays on the screen with the record as it was, as does a save
    // that could not be made.
    return StartNew(holder, user) == NewResult::Done;
}

bool MayClose(RecordHolder& holder, ConnectionHandle& user) { return MayLeave(holder, user, Leaving::Close); }

void Delete(RecordHolder& holder, ConnectionHandle& user, int language) {
    if (MsgBox(Txt(store::kMsgDeleteQuestion, language), MsgButtons::YesNo) != MsgAnswer::Yes) return;
    const RecordTexts r = holder.Record();
    // A stored row of a year the program does not compare (saved by an older
    // version) can be deleted too; any other such year is refused.
    auto year = ReferenceYear(r[Field::Year]);
    if (const auto stored = StoredYear(r[Field::Year]); !year && stored && store::RecordExists(user, r[Field::FirmName], *stored))
        year = stored;
    if (!year) {
        MsgBox(ComparisonCheckMessage(ComparisonCheck::YearOutOfRange, language));
        return;
    }
    store::DeleteRecord(user, r[Field::FirmName], *year);
    holder.Clear();
}

bool ClearAll(RecordHolder& holder) {
    if (MsgBox(Txt(982), MsgButtons::YesNo, MsgIcon::Question, Txt(984)) != MsgAnswer::Yes) return false;
    holder.Clear();
    return true;
}

// ---------------------------------------------------------------- comparison

ComparisonRequest RequestComparison(RecordTexts& record, const std::string& naics, const std::string& industryTitle,
                                    int language) {
    ComparisonRequest request;
    subRemoveBlanksCommas(record);
    request.check = CheckBeforeComparison(record);
    // Every year that is not a whole year of the edition gets the year message.
    if (request.check == ComparisonCheck::YearNotWhole) request.check = ComparisonCheck::YearOutOfRange;
    if (!request.ok()) {
        request.message = ComparisonCheckMessage(request.check, language);
        return request;
    }
    request.values = BuildComparisonValues(record, naics, industryTitle);
    request.year = *ReferenceYear(record[Field::Year]);
    return request;
}

namespace {
// The values screen keeps its record while a report is up over it, and only
// then: a refused check sets nothing, so nothing stale is left for the next
// "Enter new data".
void showReport(const std::string& type, std::int16_t year, const std::string& naics,
                const std::vector<std::string>& comparisonValues) {
    gblnKeepValues = true;
    struct Reset {
        ~Reset() { gblnKeepValues = false; }
    } reset;
    navigator().ShowReport({type, year, naics, comparisonValues});
}
} // namespace

std::string EditionYearQuestion(std::int16_t statementYear, int language) {
    const std::int16_t to = CurrentEdition().Nearest(statementYear);
    return ReplaceAll(ReplaceAll(EditionText(kMsgYearOutsideEdition, language), "{Y}", std::to_string(statementYear)),
                      "{T}", std::to_string(to));
}

bool OfferEditionYear(RecordHolder& holder, RecordTexts& record) {
    const StatementYear year = ClassifyStatementYear(record[Field::Year]);
    if (year.standing != YearStanding::OutsideEdition) return true;
    if (MsgBox(EditionYearQuestion(year.year, gintLanguage), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    record[Field::Year] = std::to_string(CurrentEdition().Nearest(year.year));
    holder.ShowRecord(record);
    holder.SetChanged(true);  // a new year is a change to save
    return true;
}

bool Compare(RecordHolder& holder) {
    if (!holder.FinishEditing()) return false;
    RecordTexts r = holder.Record();
    if (!OfferEditionYear(holder, r)) return false;
    const IndustryChoice& industry = CurrentChoice().industry;
    const ComparisonRequest request = RequestComparison(r, industry.naics, industry.title, gintLanguage);
    holder.ShowRecord(r);
    if (!request.ok()) {
        MsgBox(request.message);
        return false;
    }
    // A comparison is no save: a statement typed and compared is still unsaved.
    showReport("com", request.year, industry.naics, request.values);
    return true;
}

bool Trend(RecordHolder& holder) {
    if (!holder.FinishEditing()) return false;
    RecordTexts r = holder.Record();
    subRemoveBlanksCommas(r);
    if (!store::VerifyFirmName(r[Field::FirmName], gintLanguage)) {
        MsgBox(Txt(store::kMsgInvalidName));
        return false;
    }
    const IndustryChoice& industry = CurrentChoice().industry;
    const auto values = BuildComparisonValues(r, industry.naics, industry.title);
    // The trend reads the saved years; the record on screen stays as it is.
    showReport("tre", ReferenceYear(r[Field::Year]).value_or(CurrentEdition().latest), industry.naics, values);
    return true;
}

} // namespace values
} // namespace zorva
