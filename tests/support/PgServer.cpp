#include "support/PgServer.h"

#include "support/AppFixture.h"

#include "store/Diagnostics.h"
#include "store/ServerStore.h"
#include "store/Validate.h"

#include <libpq-fe.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zorva::test {

namespace {

std::string script() { return std::string(ZORVA_SOURCE_DIR) + "/tests/support/pg-test-server"; }

int run(const std::string& command) { return std::system(command.c_str()); }

std::string sharedDir() {
    const char* d = std::getenv("ZORVA_TEST_PG_DIR");
    return d && *d ? d : ZORVA_TEST_PG_DIR;
}

// Stops the shared server at exit when this program started it.
struct SharedServer {
    bool started = false;
    bool ready = false;
    ~SharedServer() {
        if (started) run(script() + " stop '" + sharedDir() + "'");
    }
};
SharedServer& shared() {
    static SharedServer s;
    return s;
}

std::string addressOf(const std::string& socketDir, const std::string& db, const std::string& user = "zorva") {
    return "postgresql://" + user + "@/" + db + "?host=" + socketDir;
}

std::string uniqueName(const char* prefix) {
    static std::atomic<int> counter{0};
    // The shared server outlives a run and process ids come back: the last
    // part differs from one process to the next.
    static const unsigned salt = std::random_device{}() % 1000000;
    return std::string(prefix) + std::to_string(::getpid()) + "_" + std::to_string(++counter) + "_" +
           std::to_string(salt);
}

void setUpStore(const std::string& address, bool rowSecurity) {
    zorvadata::Diagnostics diags;
    zorvadata::UserSource src;
    if (!zorvadata::loadUserSource(std::string(ZORVA_SOURCE_DIR) + "/data/user", src, diags))
        throw std::runtime_error("user sources: " + diags.text());
    zorvadata::ServerStoreOptions options;
    if (rowSecurity) options.rowSecurity = zorvadata::ServerStoreOptions::RowSecurity::On;
    zorvadata::StoreSummary summary;
    if (!zorvadata::updateServerStore(src, address, options, diags, summary))
        throw std::runtime_error("init-store: " + diags.text());
}

} // namespace

bool ServerBackend() {
    const char* b = std::getenv("ZORVA_TEST_USER_STORE");
    return b && std::string(b) == "postgresql";
}

bool PgAvailable(std::string* why) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec))
        if (fs::exists(e.path() / "bin" / "pg_ctl", ec)) return true;
    if (why) *why = "the PostgreSQL server programs are not installed (Debian package postgresql)";
    return false;
}

std::string PgSocketDir() {
    auto& s = shared();
    if (!s.ready) {
        const std::string dir = sharedDir();
        const bool running = fs::exists(dir + "/.s.PGSQL.5432");
        if (run(script() + " start '" + dir + "' >/dev/null") != 0)
            throw std::runtime_error("the test PostgreSQL server did not start (see " + dir + "/server.log)");
        s.started = !running && !std::getenv("ZORVA_TEST_PG_SHARED");
        s.ready = true;
    }
    return sharedDir();
}

std::string PgSql(const std::string& address, const std::string& sql) {
    std::unique_ptr<PGconn, decltype(&PQfinish)> c(PQconnectdb(address.c_str()), &PQfinish);
    if (PQstatus(c.get()) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(c.get()));
    std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(c.get(), sql.c_str()), &PQclear);
    const auto st = PQresultStatus(r.get());
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
        throw std::runtime_error(std::string(PQresultErrorMessage(r.get())) + " in: " + sql);
    return PQntuples(r.get()) > 0 && PQnfields(r.get()) > 0 ? PQgetvalue(r.get(), 0, 0) : std::string();
}

std::string NewServerDatabase() {
    const std::string dir = PgSocketDir();
    const std::string name = uniqueName("t");
    PgSql(addressOf(dir, "postgres"), "CREATE DATABASE " + name);
    return addressOf(dir, name);
}

std::string NewServerStore(bool rowSecurity) {
    const std::string address = NewServerDatabase();
    setUpStore(address, rowSecurity);
    return address;
}

std::string AddressAs(const std::string& address, const std::string& role) {
    PgSql(address, "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '" + role +
                       "') THEN CREATE ROLE " + role + " LOGIN; END IF; END $$; GRANT zorva_advisers TO " + role);
    const auto at = address.find('@');
    return "postgresql://" + role + address.substr(at);
}

PrivatePgServer::PrivatePgServer() {
    dir_ = MakeTempDir("zorva-pg");
    Start();
}

PrivatePgServer::~PrivatePgServer() { run(script() + " kill '" + dir_ + "'"); }

void PrivatePgServer::Start() {
    if (run(script() + " start '" + dir_ + "' >/dev/null") != 0)
        throw std::runtime_error("a private PostgreSQL server did not start in " + dir_);
}

void PrivatePgServer::Stop() { run(script() + " stop '" + dir_ + "'"); }

void PrivatePgServer::Kill() { run(script() + " kill '" + dir_ + "'"); }

std::string PrivatePgServer::NewStore() {
    const std::string name = "p" + std::to_string(++databases_);
    PgSql(addressOf(dir_, "postgres"), "CREATE DATABASE " + name);
    const std::string address = addressOf(dir_, name);
    setUpStore(address, false);
    return address;
}

} // namespace zorva::test
