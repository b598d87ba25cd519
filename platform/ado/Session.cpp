#include "Session.h"

#include "AdoConstants.h"
#include "JetSql.h"
#include "RuntimeError.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace Ado {

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// An error of the file rather than of the statement (read-only, unreadable, damaged, full) names
// the file, as the errors at the open do: which file is what the person at the screen must know.
// A table missing is the file's fault too: the program's statements name only tables a bank has,
// so a file without one is not the bank it should be.
bool IsFileFault(sqlite3* db)
{
    switch (sqlite3_errcode(db) & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return true;
    default:
        return std::strncmp(sqlite3_errmsg(db), "no such table", 13) == 0;
    }
}

[[noreturn]] void RaiseEngineError(sqlite3* db, long number)
{
    QString message = QString::fromUtf8(sqlite3_errmsg(db));
    if (const char* file = sqlite3_db_filename(db, "main"); IsFileFault(db) && file != nullptr && *file != '\0') {
        message += QStringLiteral(": ") + QString::fromUtf8(file);
    }
    throw RuntimeError(number, message);
}

QString SqlTextLiteral(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// A statement may end in ";" and blanks; anything more is a second statement, which the Jet
// engine refuses as well (values are pasted into statements, so this also stops one value from
// smuggling in another statement).
bool OnlyBlanksOrSemicolon(const char* tail)
{
    bool seenSemicolon = false;
    for (; *tail != '\0'; ++tail) {
        const char c = *tail;
        if (c == ';' && !seenSemicolon) {
            seenSemicolon = true;
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
}

Variant ColumnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return Variant(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return Variant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return Variant(QString::fromUtf8(text, sqlite3_column_bytes(statement, column)));
    }
    case SQLITE_BLOB: {
        const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement, column));
        const int size = sqlite3_column_bytes(statement, column);
        return Variant(size > 0 ? QByteArray(blob, size) : QByteArray());
    }
    default:
        return Variant::Null();
    }
}

// The key of an encrypted bank is derived from its password at the first statement after it, about
// 25 ms of work at every open; the program closes and reopens its shared connection at every form
// that starts on a fresh one (the generator releases it, the exam screen reopens it at once). The
// handle of the last session to end is therefore kept, idle, and taken again by the next open of
// the same file with the same password: still the same file (device and inode), no transaction or
// statement left on it, and not written since (size and modification time as they were when it was
// left: a file replaced or rebuilt under the same name, or changed by another program, is opened
// afresh). It holds no lock while idle.
struct FileStamp {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    long long ModifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

struct IdleHandle {
    sqlite3* Db = nullptr;
    QByteArray Path;
    QString Password;
    FileStamp Stamp;

    void Close()
    {
        sqlite3_close_v2(Db);
        Db = nullptr;
    }
};

IdleHandle& Idle()
{
    // Never destroyed: closing an encrypted handle at exit could run after the crypto library has
    // cleaned itself up. An idle handle holds no transaction, so leaving it to the system loses nothing.
    static auto* idle = new IdleHandle;
    return *idle;
}

bool StampOf(const QByteArray& path, FileStamp& stamp)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        return false;
    }
    stamp = {info.st_dev, info.st_ino, info.st_size,
             static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
    return true;
}

// The idle handle when it serves this open, checked by a statement that must read the file;
// nullptr otherwise (and a handle that no longer serves is closed).
sqlite3* TakeIdle(const QByteArray& path, const QString& password)
{
    IdleHandle& idle = Idle();
    if (idle.Db == nullptr) {
        return nullptr;
    }
    FileStamp stamp;
    if (idle.Path != path || idle.Password != password || !StampOf(path, stamp) || !(stamp == idle.Stamp) ||
        sqlite3_exec(idle.Db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
        idle.Close();
        return nullptr;
    }
    sqlite3* db = idle.Db;
    idle.Db = nullptr;
    return db;
}

// What a file that is not a regular one is, in the error that refuses it; nullptr for a regular
// file or one that cannot be looked at (the engine's open then says why).
const char* NotARegularFile(const QByteArray& path)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 || S_ISREG(info.st_mode)) {
        return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {
        return "a folder";
    }
    if (S_ISFIFO(info.st_mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        return "a device";
    }
    return "a special file";
}

} // namespace

std::shared_ptr<Session> Session::Open(const QString& path, const QString& password, int lockTimeout)
{
    const QByteArray localPath = path.toUtf8();
    // Looked at before the engine opens it: the engine would wait on a FIFO forever, and take a
    // device such as /dev/zero (of size 0) for an empty database that fails later on a missing table.
    if (const char* kind = NotARegularFile(localPath)) {
        throw RuntimeError(ProviderError,
                           QStringLiteral("file is %1, not a database: ").arg(QLatin1String(kind)) + path);
    }
    if (sqlite3* reused = TakeIdle(localPath, password)) {
        std::shared_ptr<Session> session(new Session(reused));
        session->mPath = localPath;
        session->mPassword = password;
        session->SetLockTimeout(lockTimeout);
        return session;
    }

    sqlite3* db = nullptr;
    // Without SQLITE_OPEN_CREATE a missing file is an error instead of a new empty database.
    const int opened = sqlite3_open_v2(localPath.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (opened != SQLITE_OK) {
        const QString message = db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(db);
        throw RuntimeError(ProviderError, message + QStringLiteral(": ") + path);
    }
    std::shared_ptr<Session> session(new Session(db));
    session->mPath = localPath;
    session->mPassword = password;
    session->SetLockTimeout(lockTimeout);

    // The key is derived at the first statement after it, which also tells a wrong password or a
    // file that is no database.
    const QString keyPragma = QStringLiteral("PRAGMA key = ") + SqlTextLiteral(password);
    const QString check = QStringLiteral("SELECT count(*) FROM sqlite_master");
    for (const QString& sql : {keyPragma, check}) {
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw RuntimeError(ProviderError, QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(": ") + path);
        }
    }
    return session;
}

void Session::SetLockTimeout(int seconds)
{
    const int milliseconds =
        seconds <= 0 ? std::numeric_limits<int>::max()
                     : static_cast<int>(std::min<long long>(seconds * 1000LL, std::numeric_limits<int>::max()));
    sqlite3_busy_timeout(mDb, milliseconds);
}

Session::~Session()
{
    // Kept for the next open of the same file unless something is left running on it.
    FileStamp stamp;
    if (sqlite3_get_autocommit(mDb) != 0 && sqlite3_next_stmt(mDb, nullptr) == nullptr && StampOf(mPath, stamp)) {
        IdleHandle& idle = Idle();
        idle.Close();
        idle.Db = mDb;
        idle.Path = mPath;
        idle.Password = mPassword;
        idle.Stamp = stamp;
        return;
    }
    sqlite3_close_v2(mDb);
}

bool Session::Run(const QString& jetSql, QueryResult* result, long* changes)
{
    const QByteArray sql = JetToSqlite(jetSql).toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(mDb, sql.constData(), static_cast<int>(sql.size()), &raw, &tail) != SQLITE_OK) {
        RaiseEngineError(mDb, CommandTextError);
    }
    Statement statement(raw);
    if (statement == nullptr) {
        throw RuntimeError(CommandTextError, QStringLiteral("empty statement"));
    }
    if (!OnlyBlanksOrSemicolon(tail)) {
        throw RuntimeError(CommandTextError, QStringLiteral("characters found after end of SQL statement"));
    }

    const int columns = sqlite3_column_count(statement.get());
    if (columns == 0) {
        int step = SQLITE_ROW;
        while (step == SQLITE_ROW) {
            step = sqlite3_step(statement.get());
        }
        if (step != SQLITE_DONE) {
            RaiseEngineError(mDb, ProviderError);
        }
        if (changes != nullptr) {
            *changes = sqlite3_changes(mDb);
        }
        return false;
    }

    QueryResult local;
    QueryResult& out = result != nullptr ? *result : local;
    out = QueryResult{};
    for (int column = 0; column < columns; ++column) {
        const QString name = QString::fromUtf8(sqlite3_column_name(statement.get(), column));
        const char* table = sqlite3_column_table_name(statement.get(), column);
        out.names.append(name);
        out.qualifiedNames.append(table != nullptr ? QString::fromUtf8(table) + QLatin1Char('.') + name : QString());
    }
    for (;;) {
        const int step = sqlite3_step(statement.get());
        if (step == SQLITE_DONE) {
            break;
        }
        if (step != SQLITE_ROW) {
            RaiseEngineError(mDb, ProviderError);
        }
        std::vector<Variant> row;
        row.reserve(static_cast<std::size_t>(columns));
        for (int column = 0; column < columns; ++column) {
            row.push_back(ColumnValue(statement.get(), column));
        }
        out.rows.push_back(std::move(row));
    }
    return true;
}

} // namespace Ado
