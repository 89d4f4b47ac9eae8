#pragma once
// The values screen's flows, written once for the screen, the command-line
// tool and the tests: saving with its replace question, the save question
// before a record is left (New, Open, Return, closing the window), deleting,
// clearing, and the comparison sequence (blanks removed, the checks, the
// comparison values, the report). Every question and message goes through the
// message service (core/Services.h): the screen shows boxes, the tool answers
// from its options, a test answers from a script. Other screens are reached
// through the navigator (core/Navigator.h: the lists, the reports) and the
// enterprise's screens through enterprise/EnterpriseScreens.h.
//
// The record being worked on is held by a RecordHolder: the values screen
// (its controls) or a PlainRecord (the tool, tests). A flow asks the holder to
// finish editing first (every amount in its number text form, the subtotals
// recomputed), since a menu or a toolbar button does not take the focus away
// from the box being typed in.

#include "core/DBTools.h"
#include "core/Globals.h"
#include "enterprise/EnterpriseRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorva {

// These flows write the values screen's one-shot flag gblnKeepValues
// (core/Globals.h).

namespace values {

class RecordHolder {
public:
    virtual ~RecordHolder() = default;
    // Brings every typed amount to its number text form and recomputes the
    // subtotals; false, after a message, when an amount cannot be.
    virtual bool FinishEditing() = 0;
    virtual RecordTexts Record() const = 0;
    // Puts the record's amounts, name and year back.
    virtual void ShowRecord(const RecordTexts& record) = 0;
    // A new record: the name placeholder, every amount 0.
    virtual void Clear() = 0;
    virtual bool Changed() const = 0;
    virtual void SetChanged(bool changed) = 0;
};

// A record held as plain data. FinishEditing accepts it as it stands: the
// tool reads amounts already normalised (and subtotals as the file gave them).
class PlainRecord : public RecordHolder {
public:
    explicit PlainRecord(RecordTexts record = {}, int language = 0) : record_(std::move(record)), language_(language) {}
    bool FinishEditing() override { return true; }
    RecordTexts Record() const override { return record_; }
    void ShowRecord(const RecordTexts& record) override { record_ = record; }
    void Clear() override;
    bool Changed() const override { return changed_; }
    void SetChanged(bool changed) override { changed_ = changed; }

private:
    RecordTexts record_;
    int language_;
    bool changed_ = false;
};

enum class SaveResult {
    Saved,      // a new row
    Replaced,   // the row of that name and year, after the replace question
    Declined,   // the replace question (or the changed-meanwhile one) was answered Cancel
    Refused,    // the name, the year or an amount was refused (after a message)
    Reloaded,   // changed meanwhile by another copy or adviser: the stored values were loaded instead
};
inline bool IsSaved(SaveResult r) { return r == SaveResult::Saved || r == SaveResult::Replaced; }

// Save: blanks and commas removed (and shown), the name and the year checked,
// the replace question (OK, Cancel) when a row of the name and year exists,
// unless skipWarnings; then the row is written and "saved" said. A saved
// record is unchanged. When another copy of the program or another adviser
// saved or deleted the record since this one opened or saved it, the
// changed-meanwhile question comes instead (also with skipWarnings): Yes
// replaces, No reloads the stored values, Cancel keeps working; the check and
// the write are one transaction, so nothing is overwritten silently.
SaveResult Save(RecordHolder& holder, ConnectionHandle& user, bool skipWarnings);

// Why a record is being left.
enum class Leaving { New, Open, Return, Close };
// Before a changed record is left: the save question (Yes, No, Cancel; its
// own wording before the open-existing list). Yes saves without the replace
// question. True when the record may be left: unchanged, No, or Yes and saved.
bool MayLeave(RecordHolder& holder, ConnectionHandle& user, Leaving why);

enum class NewResult { Done, Cancelled, NotSaved };
// New: the save question when changed, then a new record.
NewResult StartNew(RecordHolder& holder, ConnectionHandle& user);

// Open: the save question when changed, then the open-existing list (or the
// "no records" message when nothing is stored).
void OpenExisting(RecordHolder& holder, ConnectionHandle& user);

// Opening a row of the open-existing list: the stored record goes on the
// values screen. A statement saved under another industry than the one
// chosen now asks which to compare it with (Yes, the default answer: the one
// chosen now; No: the one it was saved under, which becomes the chosen
// industry; Cancel: not opened), or, when the data set has no figures for its
// own industry, says that it is compared with the industry chosen now. A row
// whose year the program does not compare opens with its values and a
// message saying the year must be changed first. False when cancelled.
bool OpenStored(ConnectionHandle& user, const std::string& name, std::int16_t year);
// The connection was lost while saving and the store could not be asked yet;
// the next save asks it first, and says so when the earlier save took effect.
inline constexpr int kMsgSaveInDoubt = 3200;
inline constexpr int kMsgEarlierSaveTookEffect = 3202;
// A name read from a file holds a NUL character: that record is not saved.
inline constexpr int kMsgNameHoldsNul = 3204;
inline constexpr int kMsgKeepChosenIndustry = 3102;
inline constexpr int kMsgSavedIndustryNotInDataSet = 2404;

// Return to the main menu or the search screen: true when the screen may be
// left (unchanged, or the save question answered No, or Yes and saved);
// Cancel stays with the record as it was.
bool MayReturn(RecordHolder& holder, ConnectionHandle& user);

// Closing the window: true when it may close (the program's own exit question
// is the screen's to ask afterwards).
bool MayClose(RecordHolder& holder, ConnectionHandle& user);

// Delete: the question, then the row of the name and year; a new record.
void Delete(RecordHolder& holder, ConnectionHandle& user, int language);

// Clear: the question, then a new record.
bool ClearAll(RecordHolder& holder);

// ---------------------------------------------------------------- comparison

// The comparison's request for a record: blanks and commas removed (in place),
// the checks before a comparison (a year that is not a whole year of the
// edition in use counts as out of range), then the 37 comparison values.
struct ComparisonRequest {
    ComparisonCheck check = ComparisonCheck::Ok;
    std::string message;              // the refused check's message in the language
    std::vector<std::string> values;  // aComparisonValues, when accepted
    std::int16_t year = 0;
    bool ok() const { return check == ComparisonCheck::Ok; }
};
ComparisonRequest RequestComparison(RecordTexts& record, const std::string& naics, const std::string& industryTitle,
                                    int language);

// A statement of a whole year that the edition in use does not cover (one
// typed, imported, or stored under an older edition): the question says which
// years the edition covers and offers to change the statement's year to the
// nearest of them (Yes, No). On Yes the record gets that year, keeps every
// amount, shows it and counts as changed (saving it keeps the new year beside
// the stored one); true then, and for a year of the edition or a text that is
// no year at all (the year check says what is wrong with it). False on No.
bool OfferEditionYear(RecordHolder& holder, RecordTexts& record);
std::string EditionYearQuestion(std::int16_t statementYear, int language);
inline constexpr int kMsgYearOutsideEdition = 3500;

// Compare, as the values screen's command: editing finished, the offer of a
// year of the edition for a statement of another year, the request (a
// refusal is shown as a message), then the comparison report of the industry
// chosen now (CurrentChoice) and the data set in force. True when the
// comparison was asked for. A comparison saves nothing: the record keeps its
// changed flag (or is changed by a new year).
bool Compare(RecordHolder& holder);

// Trend: editing finished, the name checked, then the trend report of the
// years saved under the name. The record on screen keeps its changed flag.
bool Trend(RecordHolder& holder);

} // namespace values
} // namespace zorva
