#include "TransactionGuard.h"

#include "Connection.h"

namespace Ado {

TransactionGuard::TransactionGuard(Connection& connection) : mConnection(connection)
{
    mConnection.BeginTrans();
}

TransactionGuard::~TransactionGuard()
{
    if (!mActive) {
        return;
    }
    try {
        mConnection.RollbackTrans();
    } catch (...) {
        // A closed connection has already dropped the transaction; nothing is left to undo.
    }
}

void TransactionGuard::Commit()
{
    mConnection.CommitTrans();
    mActive = false;
}

} // namespace Ado
