#pragma once

#include "AdoConstants.h"
#include "Recordset.h"

#include <QString>

#include <memory>

namespace Ado {

class Session;

// One connection to a question-bank file (SQLCipher, keyed with the connection string's password).
// Not copyable: the shared connection is held by reference or pointer.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Recordsets opened on this connection read all their rows at open whatever is set here;
    // the value is kept because the forms set it before every open.
    int CursorLocation() const { return mCursorLocation; }
    void SetCursorLocation(int cursorLocation) { mCursorLocation = cursorLocation; }

    // Seconds a statement (and the key check of Open) waits for a lock that another connection
    // holds, in this or another program, before it fails with the engine's "database is locked";
    // 0 waits without limit. Taken at Open and, on an open connection, at once.
    int CommandTimeout() const { return mCommandTimeout; }
    void SetCommandTimeout(int seconds);

    ObjectStateEnum State() const;

    // Connection string of key=value pairs separated by ";": "Data Source" names the file (a
    // "\" in it is read as the folder separator), "Jet OLEDB:Database Password" keys it; keys
    // compare without regard to case, other keys are ignored. The file must exist: it is never
    // created here. Raises RuntimeError when the file is missing, is not a database or the
    // password is wrong, and when the connection is already open.
    void Open(const QString& connectionString, const QString& userId = {}, const QString& password = {},
              int options = adOptionUnspecified);

    // Runs one statement in Jet SQL. A statement that returns rows gives an open recordset on its
    // first row (at EOF when there is none); any other gives a closed recordset, and
    // recordsAffected (when given) receives the number of rows it changed.
    std::unique_ptr<Recordset> Execute(const QString& commandText, long* recordsAffected = nullptr,
                                       int options = adOptionUnspecified);

    // Takes the write lock at once (waiting up to CommandTimeout), so that a transaction never
    // fails halfway because another connection began writing after it.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // Closing a closed connection raises "operation not allowed when the object is closed", as the
    // forms always test State first. Recordsets opened earlier keep their rows but can no longer
    // requery.
    void Close();

private:
    friend class Recordset;
    std::shared_ptr<Session> RequireSession() const;

    int mCursorLocation = adUseServer;
    int mCommandTimeout = 30;
    std::shared_ptr<Session> mSession;
};

} // namespace Ado
