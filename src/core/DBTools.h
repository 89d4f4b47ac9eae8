#pragma once
// The program's only way to a database: open a connection on a file, open a
// recordset, run a statement, close the connection.
//
// Kinds of connection, by the last three characters of the file name:
//   "mdb"        a SQLite 3 database file (the two data stores)
//   "txt"/"csv"  every text file of the folder is a read-only table
//                (the file name "text" asks for this kind on the folder)
//   "xls"        every sheet of the workbook is a read-only table
//   a server address  the user store on a PostgreSQL server: a libpq
//                (postgresql://host/db, postgresql:///db?host=/run/postgresql)
//                or a keyword string (service=zorva, host=... dbname=...);
//                see IsServerAddress. The program never stores a password:
//                libpq's password file, service file or environment give it.
// Statements are written in the Jet dialect; JetToSQLite or JetToPostgres
// translates them, for the connection's engine. Every call below works on
// both engines; what differs is said where it does.
//
// A server connection (Kind::Server):
//   - runs ServerSessionSetup() (store/ServerStore.h) after every connection:
//     its settings (standard strings, the lock wait) and its own temporary
//     report tables, so two advisers never read each other's report rows;
//   - gives result columns the spelling of the store's schema (the server
//     folds unquoted names to lower case) or of the statement's alias;
//   - waits at most ServerLockWaitMs() for a lock another connection holds,
//     then fails with a DbError whose busy() is true;
//   - after the server stops or the connection drops, fails with a DbError
//     whose connectionLost() is true, and the next call outside a
//     transaction connects again.
//
// Errors of the database come as DbError; the two wrong uses of the layer
// (unknown file kind, unknown recordset mode) show their message and end the
// program through the exit service.

#include "core/Variant.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct pg_conn;

namespace zorva {

class DbError : public std::runtime_error {
public:
    DbError(const std::string& what, std::string statement = {}, std::string file = {}, int code = 0)
        : std::runtime_error(what), statement_(std::move(statement)), file_(std::move(file)), code_(code) {}
    // An error of a server connection, with its SQLSTATE ("" when the
    // connection itself failed).
    static DbError Server(const std::string& what, std::string statement, std::string address, std::string sqlState,
                          bool connectionLost);
    const std::string& statement() const { return statement_; }
    const std::string& file() const { return file_; }
    // SQLite's extended result code, 0 when the layer itself raised the error.
    int code() const { return code_; }
    // The file is damaged or is not a database at all.
    bool damaged() const;
    // The file, its folder or its journal cannot be written.
    bool notWritable() const;
    // Another copy (or another adviser's connection) held a lock for longer
    // than the wait.
    bool busy() const;
    // A server connection: the server could not be reached, stopped or
    // dropped the connection.
    bool connectionLost() const { return lost_; }
    const std::string& sqlState() const { return sqlState_; }
private:
    std::string statement_;
    std::string file_;
    int code_ = 0;
    std::string sqlState_;
    bool lost_ = false;
};

// Values bound to a statement's "?" placeholders, in order (GetRS, ExecCmdInDB).
using Params = std::vector<Variant>;

// An open connection. Held through a ConnectionHandle; an empty handle means
// "not connected".
class Connection {
public:
    enum class Kind { Database, TextFolder, Workbook, Server };
    Connection(sqlite3* db, Kind kind, std::string source);
    // A server connection on an open libpq connection.
    Connection(pg_conn* server, std::string address);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The SQLite handle; null for a server connection.
    sqlite3* handle() const { return db_; }
    // The libpq connection; null unless kind() is Server.
    pg_conn* server() const { return pg_; }
    bool isServer() const { return kind_ == Kind::Server; }
    // Open: a database handle, or a server connection (possibly dropped:
    // the next statement finds out and connects again).
    bool open() const { return db_ != nullptr || pg_ != nullptr; }
    Kind kind() const { return kind_; }
    // The file (or folder) the connection was opened on.
    const std::string& source() const { return source_; }
    bool readOnly() const { return (kind_ != Kind::Database && kind_ != Kind::Server) || readOnly_; }
    void setReadOnly(bool ro) { readOnly_ = ro; }
    // The connection string in the form the program has always logged it
    // ("Data Source=..." and so on); informative only.
    std::string connectionString;

    // Writers' turnstile of a database file (see Transaction); -1 when none.
    int turnstile();
    // Start of the current wait for another copy's write lock (busy handler).
    long long busySince = 0;

    // Server connections: rows the last statement changed, open
    // transactions (no reconnection inside one), the result column spellings
    // (lower case -> as spelled).
    long serverChanges = 0;
    int serverDepth = 0;
    int serverLockWait = -1;  // the lock wait in force on the session (ms)

private:
    sqlite3* db_ = nullptr;
    pg_conn* pg_ = nullptr;
    Kind kind_;
    std::string source_;
    bool readOnly_ = false;
    int turnstile_ = -2;  // -2: not opened yet
};
using ConnectionHandle = std::shared_ptr<Connection>;

// Values bound to the "?" marks of one statement, in order: every value that
// comes from a user or a file goes into a statement this way, on both engines
// (SQLite binds it; the server receives it apart from the statement, as $1,
// $2 ...), never spliced into the statement's text. A statement with values
// is one statement; the number of marks must equal the number of values.
// Where the translation reorders a statement's clauses (Jet's "Update T,
// (select ...) D Set ...", whose subquery moves behind the Set), number the
// marks: "?1", "?2" ... stand for the first, second ... value wherever they are.
using SqlParams = std::vector<Variant>;

class Recordset {
public:
    enum class Mode { Read, Write };

    long RecordCount() const { return static_cast<long>(rows_.size()); }
    bool Eof() const { return pos_ >= static_cast<long>(rows_.size()); }
    bool Bof() const { return pos_ < 0 || rows_.empty(); }
    void MoveFirst() { pos_ = 0; }
    void MoveNext() { if (pos_ < static_cast<long>(rows_.size())) ++pos_; }
    void MovePrevious() { if (pos_ >= 0) --pos_; }
    void MoveLast() { pos_ = static_cast<long>(rows_.size()) - 1; }
    long AbsolutePosition() const { return pos_; }
    void Move(long index) { pos_ = index; }

    int FieldCount() const { return static_cast<int>(names_.size()); }
    const std::string& FieldName(int index) const;
    // Index of a field by name without regard to letter case; -1 when absent.
    int FieldIndex(std::string_view name) const;
    bool HasField(std::string_view name) const { return FieldIndex(name) >= 0; }
    // Value of a field of the current row; throws DbError when there is no
    // current row or no such field.
    const Variant& Fields(int index) const;
    const Variant& Fields(std::string_view name) const;

    // All rows, for grids and lists.
    const std::vector<std::vector<Variant>>& Rows() const { return rows_; }
    const std::vector<std::string>& FieldNames() const { return names_; }

    Mode mode() const { return mode_; }
    const std::string& statement() const { return statement_; }

    // Write mode only (a single-table query): change fields of the current
    // row, add a row, delete the current row. Update() writes the pending
    // change; it fails with DbError when another writer changed or removed the
    // row since it was read (optimistic locking).
    void SetField(std::string_view name, Variant value);
    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete();
    bool Updatable() const { return !table_.empty(); }

    void Close();

private:
    friend std::unique_ptr<Recordset> GetRS(ConnectionHandle&, const std::string&, const std::string&,
                                            const Params&);
    friend struct ServerRecordset;
    const Variant& at(int index) const;
    void requireWritable(const char* op) const;

    ConnectionHandle cn_;
    std::string statement_;
    Mode mode_ = Mode::Read;
    std::vector<std::string> names_;
    std::vector<std::vector<Variant>> rows_;
    long pos_ = 0;

    // Write mode: the table, the rowid of each row (the tuple id on a
    // server), the pending edit.
    std::string table_;
    std::vector<std::int64_t> rowids_;
    std::vector<std::string> tids_;
    std::vector<int> tableColumn_;  // result column -> is a plain column of table_ (1) or not (0)
    enum class Pending { None, Edit, Add } pending_ = Pending::None;
    std::vector<Variant> editRow_;
    std::vector<bool> editChanged_;
};

void DisconnectFromDB(ConnectionHandle& connection);
// True when text names a server rather than a file: a postgresql:// or
// postgres:// URI, or a libpq keyword string (service=, host=, dbname=, ...).
bool IsServerAddress(std::string_view text);
// How a database file ("mdb") is opened. ReadOnly is for stores the program
// must never change (the industry data store): no statement can write them.
enum class OpenMode { ReadWrite, ReadOnly };
void ConnectToFile(ConnectionHandle& connection, std::string file, std::string folder,
                   OpenMode mode = OpenMode::ReadWrite);
std::unique_ptr<Recordset> GetRS(ConnectionHandle& connection, const std::string& statement,
                                 const std::string& mode);
void ExecCmdInDB(ConnectionHandle& connection, const std::string& statement);
// The same with values bound to the statement's "?" placeholders, in order,
// on both engines (a server statement gets "$1", "$2" ... in their place):
// a value a user typed or a file held never becomes part of the SQL text.
std::unique_ptr<Recordset> GetRS(ConnectionHandle& connection, const std::string& statement,
                                 const std::string& mode, const Params& params);
void ExecCmdInDB(ConnectionHandle& connection, const std::string& statement, const Params& params);

// Number of rows the last ExecCmdInDB changed on this connection.
long RowsAffected(const ConnectionHandle& connection);

// Serialises the writers of one key (an enterprise name and year) until the
// end of the transaction open on the connection. A file store needs nothing
// (its transactions already write one at a time); a server takes a
// transaction-level advisory lock, waited for at most ServerLockWaitMs().
void LockKeyForWriting(ConnectionHandle& connection, const std::string& key);

// Which store a connection reaches, for the about screen and the tool: the
// file, or "PostgreSQL" with the server, database and user (never a password).
std::string DescribeConnection(const ConnectionHandle& connection);
// A server connection whose traffic is encrypted (TLS or GSSAPI); false for
// a file, and for a server reached through a Unix socket, where libpq never
// encrypts whatever sslmode asks.
bool ConnectionEncrypted(const ConnectionHandle& connection);

// How long a server connection waits for a lock held by another connection
// before its statement fails (busy()). Tests shorten it.
int ServerLockWaitMs();
void SetServerLockWaitMs(int milliseconds);

// All of a set of statements take effect together or not at all. Begins an
// immediate (write-locking) transaction; rolls back unless Commit() was called.
// Inside a transaction already open on the connection it becomes a savepoint,
// so a preparation can run on its own or inside a caller's transaction.
//
// Two copies of the program on the same user store: the store is kept in
// write-ahead-log mode, so readers never wait for the writer nor the writer
// for readers; only writers wait for each other. A copy that wants to write
// while the other writes waits (polling every millisecond or two, up to
// kBusyLimitMs). So that a copy that writes again and again cannot keep the
// other out, a waiting copy first takes the writers' turnstile, a lock file
// beside the store ("<store>-writers"), and holds it until it has the write
// lock: the copy that just committed must pass the same turnstile before it
// can begin again, so the waiting copy goes first.
// Statements run by ExecCmdInDB and changes made through a write recordset
// outside any transaction take the same road.
class Transaction {
public:
    explicit Transaction(ConnectionHandle connection);
    ~Transaction();
    void Commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
private:
    ConnectionHandle cn_;
    bool open_ = false;
    std::string savepoint_;  // non-empty when nested
};

// How long a copy waits for another copy's write lock before giving up.
inline constexpr int kBusyLimitMs = 30000;

// Start-up checks of a database file, each throwing DbError (damaged() or
// notWritable() tells which):
// the file, before SQLite opens it, is a database whose size fits its header:
// its beginning, a valid page size, a whole number of pages, no fewer pages
// than the header counts (each named as the reason);
void CheckStoreFile(const std::string& file);
// (it reads the file's header by a descriptor of its own, so it does nothing
// more than stat() the file when a connection of this process holds it:
// closing that descriptor would drop every lock the connection holds;)
// the file opened by ConnectToFile is whole: the same size checks, with the
// page size and count read through the connection (never by a descriptor of
// its own), then SQLite's quick check of its pages finds nothing wrong;
void CheckStoreIntact(const ConnectionHandle& connection);
// the file can be written, with its journal or write-ahead log beside it: a
// real write (the header's user version rewritten with its own value) is
// committed.
void CheckStoreWritable(const ConnectionHandle& connection);
// Puts the database in write-ahead-log mode when it is not (best effort:
// another copy having it open in the old mode keeps it there). Returns the
// journal mode in force afterwards, in lower case ("wal", "delete", ...).
std::string UseWriteAheadLog(const ConnectionHandle& connection);
std::string JournalMode(const ConnectionHandle& connection);

// True when path is a database file a connection of this process holds
// open, or its write-ahead log, shared memory, journal or writers' turnstile
// (the same file by any name: device and inode). Such a file must never be
// opened by another descriptor: closing it drops the process's POSIX locks
// on the store, and another program closing its last connection then
// deletes the log under ours. Callers reading or writing a file a user named
// refuse it; the stores' own checks read through SQLite instead.
bool StoreFileInUse(const std::string& path);
// The message (id 3104, in the language in force) refusing such a file as a
// file to read or write; empty when path may be used.
inline constexpr int kMsgStoreFileInUse = 3104;
std::string StoreFileInUseMessage(const std::string& path);

// True when the table exists on the connection (without raising an error).
bool TableExists(const ConnectionHandle& connection, const std::string& table);

// Doubles every single quote, for splicing a text into a statement. Only for
// texts the program writes itself: a user's or a file's value is bound
// (SqlParams above).
std::string SqlQuote(std::string_view text);
// Names (tables, columns) are quoted by zorvadata::quoteIdentifier
// (store/Schema.h), the one quoter of both engines and of the store builder.

} // namespace zorva
