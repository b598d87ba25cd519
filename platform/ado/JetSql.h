#pragma once

#include <QString>

namespace Ado {

// Rewrites a statement written for the Jet engine into the SQLite dialect where SQLite would read
// it differently, and leaves everything else untouched: a bracketed name holding a dot,
// "[Table.Column]", is one identifier to SQLite but a table-qualified column to Jet, so it becomes
// "[Table].[Column]". Text inside single-quoted literals (with '' for a quote) is never changed.
QString JetToSqlite(const QString& jetSql);

} // namespace Ado
