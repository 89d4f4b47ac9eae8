#pragma once
// A throwaway PostgreSQL server for the tests (tests/support/pg-test-server:
// Debian's server programs, a Unix socket in a temporary folder, no TCP port,
// run as nobody when the tests run as root).
//
// One shared server serves a whole test run: ctest starts it before the
// first test that needs it and stops it after the last (fixture "pg"); a test
// program run by hand starts it itself and stops it when it ends. Each test
// works in a database of its own, so tests running side by side never meet.
// Tests that stop or restart a server use a PrivatePgServer.
//
// The backend of the user store in the tests: ZORVA_TEST_USER_STORE set to
// "postgresql" makes AppFixture put gcnUser on a new store of the shared
// server (ctest runs the store, record-store, report-preparation and
// two-copies tests once per backend, the server's under the prefix "pg.").

#include <string>

namespace zorva::test {

// True when the tests' user store is on the server (see above).
bool ServerBackend();
// Skips the calling test on the server backend (it looks into the SQLite file).
#define ZORVA_SQLITE_ONLY()                                                                       \
    do {                                                                                          \
        if (::zorva::test::ServerBackend()) GTEST_SKIP() << "looks into the SQLite file itself"; \
    } while (0)

// Whether the server programs are installed; why not in *why.
bool PgAvailable(std::string* why = nullptr);

// The shared server's socket folder (started when needed).
std::string PgSocketDir();

// A new, empty database on the shared server; its address
// (postgresql://zorva@/NAME?host=SOCKET).
std::string NewServerDatabase();
// A new database set up as the program's user store (zorva-data's code), with
// row-level security when asked; its address.
std::string NewServerStore(bool rowSecurity = false);

// Runs SQL on a database as the server's superuser; the first column of the
// first row (empty when none). Throws std::runtime_error.
std::string PgSql(const std::string& address, const std::string& sql);

// An address on the same database as another role: the role is made (LOGIN,
// member of zorva_advisers) when missing.
std::string AddressAs(const std::string& address, const std::string& role);

// A server of one test's own, for stopping and restarting it.
class PrivatePgServer {
public:
    PrivatePgServer();
    ~PrivatePgServer();
    // An address of a new database on it, set up as a user store.
    std::string NewStore();
    void Stop();
    // Stops it at once (-m immediate: as a crash or a power cut would).
    void Kill();
    void Start();
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
    int databases_ = 0;
};

} // namespace zorva::test
