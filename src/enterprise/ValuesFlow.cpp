#include "enterprise/ValuesFlow.h"

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
    const auto year = ReferenceYear(r[Field::Year]);
    if (!year) {
        MsgBox(yearMessage());
        return SaveResult::Refused;
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
    while (!store::SaveRecordIfUnchanged(user, r, *year, base)) {
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
            const MsgAnswer answer = MsgBox(fill(kMsgCompareWithSavedIndustry), MsgButtons::YesNoCancel,
                                            MsgIcon::Question);
            if (answer == MsgAnswer::Cancel) return false;
            if (answer == MsgAnswer::Yes) chosen = {savedIndustry->naics, savedIndustry->title, savedIndustry->sector};
        } else {
            MsgBox(fill(kMsgSavedIndustryNotInDataSet), MsgButtons::OK, MsgIcon::Information);
        }
    }
    navigator().HideSearch();
    gblnKeepValues = true;
    if (record) enterpriseScreens().ShowStoredRecord(*record);
    else navigator().ShowValues();
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
    const auto year = ReferenceYear(r[Field::Year]);
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
    // Every year that is not a whole 2008, 2009 or 2010 gets the year message.
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

bool Compare(RecordHolder& holder) {
    if (!holder.FinishEditing()) return false;
    RecordTexts r = holder.Record();
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
    showReport("tre", ReferenceYear(r[Field::Year]).value_or(2010), industry.naics, values);
    return true;
}

} // namespace values
} // namespace zorva
