#pragma once

// A small keyed question bank for the database-object tests, built through the objects themselves
// (an empty file is a valid empty database, which the first CREATE TABLE keys).

#include "Connection.h"
#include "Recordset.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace adotest {

inline const QString Password = QStringLiteral("pRKm*4xTv7^3q^");

// The program's own form of the string; a password holding ";" or a quote is put in double quotes.
inline QString ConnectionString(const QString& path, const QString& password = Password)
{
    QString value = password;
    if (value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"')) || value.contains(QLatin1Char('\''))) {
        value = QLatin1Char('"') + value.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source= ") + path +
           QStringLiteral(";jet oledb:database password=") + value + QStringLiteral(";Persist Security Info=False");
}

// Table layout as the program reads and writes it.
inline const QStringList Schema = {
    QStringLiteral("CREATE TABLE Exam_Theme (ThemeID INTEGER PRIMARY KEY, ThemeChapter INTEGER, ThemeType INTEGER, "
                   "ThemeContent TEXT, ThemeAnswer1 TEXT, ThemeAnswer2 TEXT, ThemeAnswer3 TEXT, ThemeAnswer4 TEXT, "
                   "ThemeAnswer TEXT, ThemeImage BLOB)"),
    QStringLiteral("CREATE TABLE Exam_Model (ApplyType TEXT, ModelStatus INTEGER, Model TEXT, ExamTime INTEGER)"),
    QStringLiteral("CREATE TABLE Exam_MContent (Model TEXT, ThemeChapter INTEGER, ThemeType INTEGER, "
                   "ThemeFraction REAL, SelectContent INTEGER)"),
    QStringLiteral("CREATE TABLE Exam_ThemeChapter (ID INTEGER, ChapterName TEXT)"),
    QStringLiteral("CREATE TABLE Exam_ThemePaper (ExamID INTEGER, ExamPaperID TEXT, ThemeID INTEGER, "
                   "ThemeFraction REAL, ThemeAnswer TEXT, StudentAnswer TEXT, StudentDf REAL DEFAULT 0)"),
    QStringLiteral("CREATE TABLE Sys_KeyCfg (ID INTEGER PRIMARY KEY, KeyCode TEXT, KeyValues TEXT)"),
};

// Creates QKMExam_L.DLL in dir, keyed with the password, with the tables and a few rows:
// questions 1-3 of chapter 1 (question 2 has a picture), 4-5 of chapter 2, 6 of chapter 3.
inline QString CreateBank(const QTemporaryDir& dir, const QString& password = Password)
{
    const QString path = dir.filePath(QStringLiteral("QKMExam_L.DLL"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {};
    }
    file.close();
    Ado::Connection connection;
    connection.Open(ConnectionString(path, password));
    QStringList statements = Schema;
    statements << QStringLiteral("INSERT INTO Exam_Theme VALUES (1, 1, 1, 'C1', 'A1', 'B1', '', '', 'A', NULL)")
               << QStringLiteral("INSERT INTO Exam_Theme VALUES (2, 1, 2, 'C2', 'A2', 'B2', 'C2', 'D2', 'B', "
                                 "X'89504E470D0A1A0A00FF')")
               << QStringLiteral("INSERT INTO Exam_Theme VALUES (3, 1, 1, 'C3', 'A3', 'B3', '', '', 'B', NULL)")
               << QStringLiteral("INSERT INTO Exam_Theme VALUES (4, 2, 1, 'C4', 'A4', 'B4', '', '', 'A', NULL)")
               << QStringLiteral("INSERT INTO Exam_Theme VALUES (5, 2, 3, 'C5', 'A5', 'B5', 'C5', 'D5', 'AC', NULL)")
               << QStringLiteral("INSERT INTO Exam_Theme VALUES (6, 3, 1, 'C6', 'A6', 'B6', '', '', 'A', NULL)")
               << QStringLiteral("INSERT INTO Exam_Model VALUES ('钣金（车身修复）技术人员', 1, '1', 90)")
               << QStringLiteral("INSERT INTO Exam_Model VALUES ('钣金（车身修复）技术人员', 0, '9', 30)")
               << QStringLiteral("INSERT INTO Exam_MContent VALUES ('1', 1, 1, 2, 2)")
               << QStringLiteral("INSERT INTO Exam_MContent VALUES ('1', 2, 3, 1.5, 1)")
               << QStringLiteral("INSERT INTO Exam_ThemeChapter VALUES (1, 'A'), (2, 'F'), (3, 'G')");
    for (int id = 1; id <= 12; ++id) {
        statements << QStringLiteral("INSERT INTO Sys_KeyCfg VALUES (%1, '%2', 'K%1')").arg(id).arg(64 + id);
    }
    connection.BeginTrans();
    for (const QString& sql : statements) {
        connection.Execute(sql);
    }
    connection.CommitTrans();
    connection.Close();
    return path;
}

} // namespace adotest
