#include "JetSql.h"

namespace Ado {

QString JetToSqlite(const QString& jetSql)
{
    QString out;
    out.reserve(jetSql.size() + 8);
    const qsizetype n = jetSql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = jetSql.at(i);
        if (c == QLatin1Char('\'')) {
            // A text literal runs to the next quote that is not doubled; it is copied as it stands.
            qsizetype j = i + 1;
            while (j < n) {
                if (jetSql.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && jetSql.at(j + 1) == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            out.append(QStringView(jetSql).mid(i, end - i));
            i = end;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = jetSql.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0) {
                out.append(QStringView(jetSql).mid(i));
                break;
            }
            const QStringView name = QStringView(jetSql).mid(i + 1, close - i - 1);
            out.append(QLatin1Char('['));
            for (const QChar nc : name) {
                if (nc == QLatin1Char('.')) {
                    out.append(QLatin1String("].["));
                } else {
                    out.append(nc);
                }
            }
            out.append(QLatin1Char(']'));
            i = close + 1;
            continue;
        }
        out.append(c);
        ++i;
    }
    return out;
}

} // namespace Ado
