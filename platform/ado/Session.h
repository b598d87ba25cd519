#pragma once

#include "Variant.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct sqlite3;

namespace Ado {

// The rows of a query, read whole.
struct QueryResult {
    QStringList names;          // column names as the engine gives them
    QStringList qualifiedNames; // "Table.Column" where the column comes from a table, else empty
    std::vector<std::vector<Variant>> rows;
};

// An open database handle shared by a connection and the recordsets opened on it; the handle is
// closed when the last owner lets go. Internal to this library: only here is the engine visible.
class Session {
public:
    // Opens an existing file and keys it; raises RuntimeError when that fails. Locks of other
    // connections are waited for up to lockTimeout seconds (0: without limit).
    static std::shared_ptr<Session> Open(const QString& path, const QString& password, int lockTimeout);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs one Jet SQL statement. Returns true with its rows in *result when the statement returns
    // rows (result may be null to discard them); otherwise runs it to the end and returns false
    // with the number of changed rows in *changes (when given).
    bool Run(const QString& jetSql, QueryResult* result, long* changes);

    void SetLockTimeout(int seconds);

private:
    explicit Session(sqlite3* db) : mDb(db) {}
    sqlite3* mDb;
    // The file as opened and its password, to match a later open of the same file to this handle.
    QByteArray mPath;
    QString mPassword;
};

} // namespace Ado
