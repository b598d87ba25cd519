#include "Connection.h"

#include "Recordset.h"
#include "RuntimeError.h"
#include "Session.h"

#include <QHash>

namespace Ado {

namespace {

// Splits "key=value;key=value" as the provider reads it: blanks around keys and values are
// dropped, a value may be enclosed in double or single quotes (a doubled quote inside stands for
// one), and keys compare without regard to case (returned in lower case).
QHash<QString, QString> ParseConnectionString(const QString& text)
{
    QHash<QString, QString> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), i);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            // A part without "=" carries nothing.
            if (semicolon < 0) {
                break;
            }
            i = semicolon + 1;
            continue;
        }
        const QString key = text.mid(i, equals - i).trimmed().toLower();
        qsizetype j = equals + 1;
        while (j < n && text.at(j).isSpace()) {
            ++j;
        }
        QString value;
        if (j < n && (text.at(j) == QLatin1Char('"') || text.at(j) == QLatin1Char('\''))) {
            const QChar quote = text.at(j);
            ++j;
            while (j < n) {
                if (text.at(j) == quote) {
                    if (j + 1 < n && text.at(j + 1) == quote) {
                        value.append(quote);
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value.append(text.at(j));
                ++j;
            }
            const qsizetype next = text.indexOf(QLatin1Char(';'), j);
            i = next < 0 ? n : next + 1;
        } else {
            const qsizetype next = text.indexOf(QLatin1Char(';'), j);
            value = text.mid(j, (next < 0 ? n : next) - j).trimmed();
            i = next < 0 ? n : next + 1;
        }
        if (!key.isEmpty()) {
            pairs.insert(key, value);
        }
    }
    return pairs;
}

} // namespace

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::SetCommandTimeout(int seconds)
{
    mCommandTimeout = seconds;
    if (mSession != nullptr) {
        mSession->SetLockTimeout(seconds);
    }
}

ObjectStateEnum Connection::State() const
{
    return mSession != nullptr ? adStateOpen : adStateClosed;
}

void Connection::Open(const QString& connectionString, const QString& /*userId*/, const QString& /*password*/,
                      int /*options*/)
{
    if (mSession != nullptr) {
        throw RuntimeError(adErrObjectOpen, QStringLiteral("对象打开时，不允许操作。"));
    }
    const QHash<QString, QString> pairs = ParseConnectionString(connectionString);
    QString path = pairs.value(QStringLiteral("data source"));
    if (path.isEmpty()) {
        throw RuntimeError(ProviderError, QStringLiteral("the connection string names no Data Source"));
    }
    // The program joins its folder and file names with the Windows separator.
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    mSession = Session::Open(path, pairs.value(QStringLiteral("jet oledb:database password")), mCommandTimeout);
}

std::shared_ptr<Session> Connection::RequireSession() const
{
    if (mSession == nullptr) {
        throw RuntimeError(adErrObjectClosed, QStringLiteral("对象关闭时，不允许操作。"));
    }
    return mSession;
}

std::unique_ptr<Recordset> Connection::Execute(const QString& commandText, long* recordsAffected, int /*options*/)
{
    const std::shared_ptr<Session> session = RequireSession();
    auto recordset = std::make_unique<Recordset>();
    QueryResult rows;
    long changes = 0;
    if (session->Run(commandText, &rows, &changes)) {
        recordset->Load(session, commandText, std::move(rows));
        if (recordsAffected != nullptr) {
            *recordsAffected = -1;
        }
    } else if (recordsAffected != nullptr) {
        *recordsAffected = changes;
    }
    return recordset;
}

void Connection::BeginTrans()
{
    RequireSession()->Run(QStringLiteral("BEGIN IMMEDIATE"), nullptr, nullptr);
}

void Connection::CommitTrans()
{
    RequireSession()->Run(QStringLiteral("COMMIT"), nullptr, nullptr);
}

void Connection::RollbackTrans()
{
    RequireSession()->Run(QStringLiteral("ROLLBACK"), nullptr, nullptr);
}

void Connection::Close()
{
    RequireSession();
    mSession.reset();
}

} // namespace Ado
