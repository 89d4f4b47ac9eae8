#pragma once
// The server half of the database layer (DBTools.h): the user store on a
// PostgreSQL server, reached with libpq. DBTools' calls come here for a
// connection of kind Server; nothing else includes this header.
//
// Relies on: libpq (text results, one statement string at a time), the
// translator's PostgreSQL target (JetSql.h), the store's session set-up and
// column spellings (store/ServerStore.h).
// Guarantees: every failure is a DbError; a dropped connection is reported
// with connectionLost() and connected again by the next call made outside a
// transaction (the session set-up runs again, so the connection's own report
// tables exist again, empty); a lock held elsewhere is waited for at most
// ServerLockWaitMs().

#include "core/DBTools.h"

#include <memory>
#include <string>

namespace zorva::server {

// Opens a server connection on address (see IsServerAddress) and runs the
// session set-up. Throws DbError (connectionLost()) when the server cannot be
// reached or refuses the connection.
ConnectionHandle Connect(const std::string& address);

// GetRS, ExecCmdInDB and TableExists on a server connection; the statement is
// in the Jet dialect.
// Values bound to the statement's "?" marks are sent apart from it ($1, $2 ...).
std::unique_ptr<Recordset> Query(ConnectionHandle& cn, const std::string& statement, Recordset::Mode mode,
                                 const SqlParams& params = {});
void Execute(ConnectionHandle& cn, const std::string& statement, const SqlParams& params = {});
bool TableExists(const ConnectionHandle& cn, const std::string& table);

// Runs a statement of the layer's own (transaction control, settings),
// already in the server's dialect; throws DbError.
void Run(const ConnectionHandle& cn, const std::string& sql);
// Begins a transaction or, inside one, a savepoint (name non-empty).
void Begin(const ConnectionHandle& cn, const std::string& savepoint);
void Commit(const ConnectionHandle& cn, const std::string& savepoint);
// Never throws.
void Rollback(const ConnectionHandle& cn, const std::string& savepoint);
bool InTransaction(const ConnectionHandle& cn);

// The server, database and user of the connection.
std::string Describe(const ConnectionHandle& cn);

// The store can be read and written by this user: MyValues exists and the
// user may insert into it. Throws DbError.
void CheckUsable(const ConnectionHandle& cn);

} // namespace zorva::server

namespace zorva {
// Write-mode recordsets of a server connection: the row's tuple id stands for
// SQLite's rowid, and the same optimistic check applies.
struct ServerRecordset {
    static void Update(Recordset& rs);
    static void Delete(Recordset& rs);
    static std::unique_ptr<Recordset> Make(ConnectionHandle& cn, const std::string& statement, Recordset::Mode mode,
                                           const SqlParams& params = {});
};
} // namespace zorva
