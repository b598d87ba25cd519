#pragma once

#include "AdoConstants.h"
#include "Variant.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace Ado {

class Connection;
class Session;
struct QueryResult;

// A keyset, read-only recordset: every row is read when it opens, so RecordCount and
// AbsolutePosition are exact from the start. Positions are 1-based; BOF sits before row 1 and EOF
// after the last row. Operations that need a current row raise error 3021 at BOF or EOF.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs a Jet SQL query on an open connection and stands on its first row (EOF and BOF when it
    // returned none). Cursor and lock types are accepted as the forms pass them.
    void Open(const QString& source, Connection& activeConnection, int cursorType = adOpenUnspecified,
              int lockType = adLockUnspecified, int options = adOptionUnspecified);

    ObjectStateEnum State() const { return mOpen ? adStateOpen : adStateClosed; }

    // EOF and BOF of the object model; "EOF" itself is a macro of the C library.
    bool Eof() const;
    bool Bof() const;

    // On an empty recordset MoveFirst and MoveLast raise 3021. MoveNext at EOF and MovePrevious at
    // BOF raise 3021; from the last row MoveNext reaches EOF, from the first MovePrevious BOF.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // Moves numRecords rows from the current one; past either end it stops at BOF or EOF.
    void Move(long numRecords);

    long RecordCount() const;

    // 1-based place of the current row; adPosBOF, adPosEOF or adPosUnknown (empty) without one.
    // Setting a place outside 1 to RecordCount raises 3001.
    long AbsolutePosition() const;
    void SetAbsolutePosition(long position);

    // A column by name (without regard to case) or by 0-based index. Where a join returns two
    // columns of the same name, each is reached only as "Table.Column"; a unique column may also be
    // reached that way. Unknown names and indexes raise 3265.
    Variant Fields(const QString& name) const;
    Variant Fields(int index) const;
    int FieldCount() const;
    // The names the columns are reached by, in column order.
    QString FieldName(int index) const;

    // Runs the statement again on its connection and stands on the first row.
    void Requery(int options = adOptionUnspecified);

    void Close();

private:
    friend class Connection;
    void Load(const std::shared_ptr<Session>& session, const QString& source, QueryResult&& rows);
    void RequireOpen() const;
    void RequireCurrentRow() const;
    int ColumnIndex(const QString& name) const;

    bool mOpen = false;
    QString mSource;
    std::weak_ptr<Session> mSession;
    QStringList mNames;          // reachable name of each column
    QStringList mQualifiedNames; // "Table.Column", empty for columns with no table
    std::vector<std::vector<Variant>> mRows;
    long mPosition = 0; // 0 = BOF, 1..n = row, n + 1 = EOF
};

} // namespace Ado
