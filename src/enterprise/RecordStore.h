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
