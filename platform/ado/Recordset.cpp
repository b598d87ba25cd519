#include "Recordset.h"

#include "Connection.h"
#include "RuntimeError.h"
#include "Session.h"

#include <algorithm>

namespace Ado {

namespace {

[[noreturn]] void RaiseNoCurrentRow()
{
    throw RuntimeError(
        adErrNoCurrentRecord,
        QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。"));
}

[[noreturn]] void RaiseItemNotFound()
{
    throw RuntimeError(adErrItemNotFound, QStringLiteral("在对应所需名称或序数的集合中，未找到项目。"));
}

} // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::Open(const QString& source, Connection& activeConnection, int /*cursorType*/, int /*lockType*/,
                     int /*options*/)
{
    if (mOpen) {
        throw RuntimeError(adErrObjectOpen, QStringLiteral("对象打开时，不允许操作。"));
    }
    const std::shared_ptr<Session> session = activeConnection.RequireSession();
    QueryResult rows;
    // A statement that returns no rows still runs, and leaves the recordset closed.
    if (session->Run(source, &rows, nullptr)) {
        Load(session, source, std::move(rows));
    }
}

void Recordset::Load(const std::shared_ptr<Session>& session, const QString& source, QueryResult&& rows)
{
    mSession = session;
    mSource = source;
    mQualifiedNames = std::move(rows.qualifiedNames);
    mRows = std::move(rows.rows);
    // The engine names both columns of a join "ThemeID"; as with the Jet provider, a name that
    // occurs twice is reached only through its table.
    mNames = rows.names;
    for (int i = 0; i < mNames.size(); ++i) {
        const auto sameName = [&](const QString& other) {
            return other.compare(rows.names.at(i), Qt::CaseInsensitive) == 0;
        };
        if (std::count_if(rows.names.cbegin(), rows.names.cend(), sameName) > 1 && !mQualifiedNames.at(i).isEmpty()) {
            mNames[i] = mQualifiedNames.at(i);
        }
    }
    mOpen = true;
    mPosition = mRows.empty() ? 0 : 1;
}

void Recordset::RequireOpen() const
{
    if (!mOpen) {
        throw RuntimeError(adErrObjectClosed, QStringLiteral("对象关闭时，不允许操作。"));
    }
}

void Recordset::RequireCurrentRow() const
{
    RequireOpen();
    if (mPosition < 1 || mPosition > RecordCount()) {
        RaiseNoCurrentRow();
    }
}

bool Recordset::Eof() const
{
    RequireOpen();
    return mPosition > RecordCount() || mRows.empty();
}

bool Recordset::Bof() const
{
    RequireOpen();
    return mPosition < 1 || mRows.empty();
}

void Recordset::MoveFirst()
{
    RequireOpen();
    if (mRows.empty()) {
        RaiseNoCurrentRow();
    }
    mPosition = 1;
}

void Recordset::MoveLast()
{
    RequireOpen();
    if (mRows.empty()) {
        RaiseNoCurrentRow();
    }
    mPosition = RecordCount();
}

void Recordset::MoveNext()
{
    if (Eof()) {
        RaiseNoCurrentRow();
    }
    ++mPosition;
}

void Recordset::MovePrevious()
{
    if (Bof()) {
        RaiseNoCurrentRow();
    }
    --mPosition;
}

void Recordset::Move(long numRecords)
{
    RequireOpen();
    if (numRecords == 0) {
        RequireCurrentRow();
        return;
    }
    if ((numRecords > 0 && Eof()) || (numRecords < 0 && Bof())) {
        RaiseNoCurrentRow();
    }
    const long count = RecordCount();
    const long target = mPosition + numRecords;
    mPosition = target < 1 ? 0 : (target > count ? count + 1 : target);
}

long Recordset::RecordCount() const
{
    RequireOpen();
    return static_cast<long>(mRows.size());
}

long Recordset::AbsolutePosition() const
{
    RequireOpen();
    if (mRows.empty()) {
        return adPosUnknown;
    }
    if (mPosition < 1) {
        return adPosBOF;
    }
    if (mPosition > RecordCount()) {
        return adPosEOF;
    }
    return mPosition;
}

void Recordset::SetAbsolutePosition(long position)
{
    RequireOpen();
    if (position < 1 || position > RecordCount()) {
        throw RuntimeError(adErrInvalidArgument,
                           QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"));
    }
    mPosition = position;
}

int Recordset::ColumnIndex(const QString& name) const
{
    for (int i = 0; i < mNames.size(); ++i) {
        if (mNames.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    for (int i = 0; i < mQualifiedNames.size(); ++i) {
        if (!mQualifiedNames.at(i).isEmpty() && mQualifiedNames.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

Variant Recordset::Fields(const QString& name) const
{
    RequireOpen();
    const int index = ColumnIndex(name);
    if (index < 0) {
        RaiseItemNotFound();
    }
    return Fields(index);
}

Variant Recordset::Fields(int index) const
{
    RequireOpen();
    if (index < 0 || index >= mNames.size()) {
        RaiseItemNotFound();
    }
    RequireCurrentRow();
    return mRows[static_cast<std::size_t>(mPosition - 1)][static_cast<std::size_t>(index)];
}

int Recordset::FieldCount() const
{
    RequireOpen();
    return static_cast<int>(mNames.size());
}

QString Recordset::FieldName(int index) const
{
    RequireOpen();
    if (index < 0 || index >= mNames.size()) {
        RaiseItemNotFound();
    }
    return mNames.at(index);
}

void Recordset::Requery(int /*options*/)
{
    RequireOpen();
    const std::shared_ptr<Session> session = mSession.lock();
    if (session == nullptr) {
        throw RuntimeError(adErrObjectClosed, QStringLiteral("对象关闭时，不允许操作。"));
    }
    QueryResult rows;
    if (!session->Run(mSource, &rows, nullptr)) {
        Close();
        return;
    }
    Load(session, mSource, std::move(rows));
}

void Recordset::Close()
{
    RequireOpen();
    mOpen = false;
    mSession.reset();
    mSource.clear();
    mNames.clear();
    mQualifiedNames.clear();
    mRows.clear();
    mPosition = 0;
}

} // namespace Ado
