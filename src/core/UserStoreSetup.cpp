#include "core/UserStoreSetup.h"

// The store builder's library (tools/zorva-data/src).
#include "store/Diagnostics.h"
#include "store/Store.h"
#include "store/Validate.h"

#include <filesystem>

namespace zorva {

namespace fs = std::filesystem;

UserStoreSetup PrepareUserStore(const std::string& store, const std::string& sourceFolder) {
    UserStoreSetup result;
    try {
        std::error_code ec;
        const fs::path parent = fs::path(store).parent_path();
        if (!parent.empty()) fs::create_directories(parent, ec);
        if (ec) {
            result.problem = parent.string() + ": " + ec.message();
            return result;
        }
        zorvadata::Diagnostics diags;
        zorvadata::UserSource source;
        if (!zorvadata::loadUserSource(sourceFolder, source, diags)) {
            result.problem = diags.text();
            return result;
        }
        zorvadata::StoreSummary summary;
        if (!zorvadata::updateUserStore(source, store, diags, summary)) {
            result.problem = diags.text();
            return result;
        }
        result.created = summary.created;
        result.updated = !summary.created;
    } catch (const std::exception& e) {
        result.problem = e.what();
    }
    return result;
}

} // namespace zorva
