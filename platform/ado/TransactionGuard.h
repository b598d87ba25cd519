#pragma once

namespace Ado {

class Connection;

// Begins a transaction on an open connection and rolls it back when it goes out of scope without
// Commit, so that a statement that fails half way through a batch leaves the file as it was.
// The destructor never throws.
class TransactionGuard {
public:
    explicit TransactionGuard(Connection& connection);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    void Commit();

private:
    Connection& mConnection;
    bool mActive = true;
};

} // namespace Ado
