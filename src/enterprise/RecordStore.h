#pragma once
// The enterprise records of the user data store (table MyValues): the
// statements the values screen and the open-existing list run, and the texts
// of their questions. One row per enterprise name and reference year.
//
// Names are matched without regard to letter case, in every alphabet ("Acme"
// and "ACME", "école" and "ÉCOLE" are one enterprise; "école" and "ecole" are
// two), through the foldcase() function that each call installs on the
// connection (core/CaseFold.h). A save replaces the row of its name and year
// by deleting and inserting inside one transaction, so a failure between the
// two, or a program killed there, leaves the stored row as it was.
//
// Several copies of the program (or advisers of an office on one server
// store) may work on one record at once. The store remembers, per connection
// (each copy has its own),
// the version of each record this program last saw (loaded, saved or
// deleted); SaveRecordIfUnchanged writes only over that version, with the
// record's key locked for writing, so a save never overwrites another's
// change without the values flow asking first (ValuesFlow.h).
//
// The year passed in is the year box's text; callers check it with
// ReferenceYear() first, and the statements use the whole number.

#include "core/DBTools.h"
#include "enterprise/EnterpriseRecord.h"

#include <memory>
#include <optional>
#include <string>

namespace zorva::store {

// True when a name may be saved: not empty after blanks are removed and not
// the name box's placeholder (id 544) in the language.
bool VerifyFirmName(const std::string& name, int language);

// True when a row of the name and year exists (the replace lookup).
bool RecordExists(ConnectionHandle& cn, const std::string& name, std::int16_t year);

// Writes the record (delete of the pair, then insert) in one transaction.
// The 32 values must be numbers in the number text form; the computed ones
// are written as they stand. Throws DbError when a statement fails, with the
// stored row untouched.
void SaveRecord(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year);

// A stored record as a copy sees it: whether a row exists, a fingerprint of
// every stored column (any save changes it; on a server store the saver and
// the time of the save are columns too), and who saved it when (server
// stores only; empty for a file).
struct StoredVersion {
    bool exists = false;
    std::string fingerprint;
    std::string savedBy;
    std::string savedAt;  // "YYYY-MM-DD HH:MM:SS" (the server's time zone)
};
inline bool SameVersion(const StoredVersion& a, const StoredVersion& b) {
    return a.exists == b.exists && a.fingerprint == b.fingerprint;
}
StoredVersion CurrentVersion(ConnectionHandle& cn, const std::string& name, std::int16_t year);
// The version this program last saw of the record on this connection; none
// when it has neither loaded, saved nor deleted it.
std::optional<StoredVersion> SeenVersion(const ConnectionHandle& cn, const std::string& name, std::int16_t year);

// Save only over the version expected: false, with nothing written, when the
// stored record is no longer that version (someone saved or deleted it in
// between). Checked and written in one transaction.
bool SaveRecordIfUnchanged(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year,
                           const StoredVersion& expected);

// After a save whose answer never came (the connection was lost while it
// ran): true when the store holds exactly the record's name and values for
// the year (the save took effect, or the store held them already), then
// remembered as seen; false when it does not (the save did not take effect).
// Throws DbError when the store still cannot be reached.
bool StoredAsSaved(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year);

// The question when a record changed since this program saw it: replace
// (Yes), reload (No), keep working (Cancel).
std::string ChangedMeanwhileQuestion(const std::string& name, std::int16_t year, const StoredVersion& now,
                                     int language);

// Deletes the rows of the name and year (none is fine).
void DeleteRecord(ConnectionHandle& cn, const std::string& name, std::int16_t year);

// The stored records, sorted by name (letter case aside), then year, with the
// industry each was saved under; the result columns are "FirmName", "Year"
// and "NAICS", in French "Nom", "Année" and "SCIAN".
std::unique_ptr<Recordset> ListFirms(ConnectionHandle& cn, int language);

// The industry (NAICS code) the row of the name and year was saved under;
// empty when there is no such row or it has no code.
std::string StoredIndustry(ConnectionHandle& cn, const std::string& name, std::int16_t year);

// The stored row of the name and year: name as stored, year, and the 32
// values in the number text form ("." as decimal mark whatever the desktop);
// NAICS is left empty (the values screen shows the industry chosen now).
std::optional<RecordTexts> LoadRecord(ConnectionHandle& cn, const std::string& name, std::int16_t year);

// The questions, in a language (0 English, 1 French).
std::string ReplaceQuestion(const std::string& name, const std::string& year, int language);
// The save-changes question of New and of the two Return commands.
std::string SaveChangesQuestion(const std::string& name, int language);
// The same question asked before the open-existing list (its own wording).
std::string SaveChangesBeforeOpenQuestion(const std::string& name, int language);

// Message ids.
inline constexpr int kMsgInvalidName = 554;
inline constexpr int kMsgSaved = 962;
inline constexpr int kMsgDeleteQuestion = 978;
inline constexpr int kMsgNoRecords = 980;

} // namespace zorva::store
