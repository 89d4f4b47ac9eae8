// The program keeps its POSIX locks on an open store: nothing of its own
// opens the store file (or its log) by another descriptor while a connection
// holds it, since closing that descriptor would drop every lock of the
// process on the file. The start-up checks read through SQLite; a file the
// user names to read or write is refused when it is the store.

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/SheetFile.h"
#include "reports/render/ReportExport.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace zorva;
using namespace zorva::test;

namespace {

// Whether /proc/locks shows a POSIX lock of this process on the file.
bool holdsLockOn(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return false;
    const std::string pid = std::to_string(::getpid()), inode = ":" + std::to_string(st.st_ino);
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream w(line);
        std::string n, kind, advisory, mode, owner, where;
        w >> n >> kind >> advisory >> mode >> owner >> where;
        if (kind == "POSIX" && owner == pid && where.size() > inode.size() &&
            where.compare(where.size() - inode.size(), inode.size(), inode) == 0)
            return true;
    }
    return false;
}

} // namespace

TEST(StoreLocks, TheStartUpChecksLeaveTheOpenStoreItsLocks) {
    const std::string app = CopyAppFolder();
    Fakes fakes = InstallFakes();
    SetAppPath(app);
    SetUserStorePath("");
    OpenDataStores();
    const std::string store = app + "/myData.mdb";
    EXPECT_TRUE(holdsLockOn(store)) << "the user store's connection holds its read lock after start-up";
    EXPECT_TRUE(StoreFileInUse(store));
    EXPECT_TRUE(StoreFileInUse(store + "-wal"));
    EXPECT_TRUE(StoreFileInUse(app + "/./myData.mdb")) << "the same file by another name";
    EXPECT_FALSE(StoreFileInUse(app + "/other.csv"));

    // A file named to import or to write a report into is refused, and the
    // refusal leaves the locks as they were.
    EXPECT_THROW(SheetDocument doc(store), std::exception);
    std::string error;
    EXPECT_FALSE(report::WriteExport(report::Rendered{}, store + "-wal", &error));
    EXPECT_EQ(error, StoreFileInUseMessage(store));
    EXPECT_FALSE(error.empty());
    CheckStoreIntact(gcnUser);
    CheckStoreFile(store);
    EXPECT_TRUE(holdsLockOn(store)) << "a check or a refusal dropped the connection's locks";

    DisconnectFromDB(gcnUser);
    EXPECT_FALSE(StoreFileInUse(store));
    DisconnectFromDB(gcnIndustry);
}
