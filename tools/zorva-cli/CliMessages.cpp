#include "CliMessages.h"
#include "CliOptions.h"

#include "core/DBTools.h"

#include "Json.h"

#include "core/Strings.h"
#include "enterprise/NumberText.h"

namespace zorva::cli {

std::string saveStatus(values::SaveResult saved, bool skip, int lang, const MessageCapture& messages,
                       std::string& reason) {
    switch (saved) {
    case values::SaveResult::Saved: return "saved";
    case values::SaveResult::Replaced: return "replaced";
    case values::SaveResult::Declined:
        // The server went away and could not yet say whether the save took effect.
        if (messages.last() == Txt(values::kMsgSaveInDoubt, lang)) {
            reason = messages.last();
            return {};
        }
        if (skip) return "skipped";
        reason = Txt(1800, lang);
        return {};
    case values::SaveResult::Refused:
    case values::SaveResult::Reloaded:
        if (reason.empty()) reason = messages.last();
        return {};
    }
    return {};
}

std::string errorObject(const RecordTexts& r, const std::string& message) {
    const std::string& year = r[Field::Year];
    auto n = ParseNumber(year);
    return JsonObject()
        .addString("FirmName", r[Field::FirmName])
        .add("Year", n ? JsonNumber(*n) : JsonString(year))
        .addString("error", message)
        .str();
}

void refuseStoreFile(const std::string& path) {
    if (const std::string refusal = StoreFileInUseMessage(path); !refusal.empty())
        throw UsageError(path + ": " + refusal);
}

} // namespace zorva::cli
