#include "AdoTestBank.h"

#include "Connection.h"
#include "Recordset.h"
#include "RuntimeError.h"
#include "TransactionGuard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <sys/stat.h>

using namespace Ado;

namespace {

class AdoConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mDir.isValid());
        mPath = adotest::CreateBank(mDir);
        ASSERT_FALSE(mPath.isEmpty());
    }

    long CountRows(Connection& connection, const QString& table)
    {
        return connection.Execute(QStringLiteral("Select count(*) From ") + table)->Fields(0).ToInt();
    }

    // Runs the action and returns the error number it raised, or 0.
    template <typename Action> long ErrorOf(Action action)
    {
        try {
            action();
        } catch (const RuntimeError& error) {
            mLastMessage = error.Description();
            return error.Number();
        }
        return 0;
    }

    QTemporaryDir mDir;
    QString mPath;
    QString mLastMessage;
};

// --- opening discipline -----------------------------------------------------------------------

TEST_F(AdoConnectionTest, OpensAKeyedBankAndClosesIt)
{
    Connection connection;
    EXPECT_EQ(connection.State(), adStateClosed);
    connection.SetCursorLocation(adUseClient);
    connection.Open(adotest::ConnectionString(mPath), QString(), QString(), adOptionUnspecified);
    EXPECT_EQ(connection.State(), adStateOpen);
    EXPECT_EQ(connection.CursorLocation(), adUseClient);
    EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_Theme")), 6);
    connection.Close();
    EXPECT_EQ(connection.State(), adStateClosed);
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_EQ(connection.State(), adStateOpen) << "a closed connection opens again";
}

TEST_F(AdoConnectionTest, FileOnDiskIsEnciphered)
{
    QFile file(mPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    EXPECT_FALSE(bytes.contains("Exam_Theme"));
}

TEST_F(AdoConnectionTest, WrongPasswordRaisesAndLeavesTheConnectionClosed)
{
    Connection connection;
    EXPECT_EQ(ErrorOf([&] { connection.Open(adotest::ConnectionString(mPath, QStringLiteral("wrong"))); }),
              ProviderError);
    EXPECT_FALSE(mLastMessage.isEmpty());
    EXPECT_EQ(connection.State(), adStateClosed);
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_EQ(CountRows(connection, QStringLiteral("Sys_KeyCfg")), 12) << "the file was not harmed";
}

TEST_F(AdoConnectionTest, MissingFileRaisesAndIsNotCreated)
{
    const QString missing = mDir.filePath(QStringLiteral("none/QKMExam_L.DLL"));
    const QString missingHere = mDir.filePath(QStringLiteral("Missing.DLL"));
    Connection connection;
    EXPECT_EQ(ErrorOf([&] { connection.Open(adotest::ConnectionString(missingHere)); }), ProviderError);
    EXPECT_TRUE(mLastMessage.contains(missingHere)) << mLastMessage.toStdString();
    EXPECT_FALSE(QFile::exists(missingHere));
    EXPECT_EQ(ErrorOf([&] { connection.Open(adotest::ConnectionString(missing)); }), ProviderError);
    EXPECT_EQ(connection.State(), adStateClosed);
}

// What is no database is refused at the open, by name; a FIFO is not waited on, a device is not
// taken for an empty database.
TEST_F(AdoConnectionTest, FileThatIsNoDatabaseRaises)
{
    const QString path = mDir.filePath(QStringLiteral("Text.DLL"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const QString zero = mDir.filePath(QStringLiteral("Zero.DLL"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString fifo = mDir.filePath(QStringLiteral("Fifo.DLL"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = mDir.filePath(QStringLiteral("Folder.DLL"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const struct {
        QString Path;
        QString Message;
    } cases[] = {
        {path, QStringLiteral("file is encrypted or is not a database: ") + path},
        {zero, QStringLiteral("file is a device, not a database: ") + zero},
        {fifo, QStringLiteral("file is a FIFO, not a database: ") + fifo},
        {folder, QStringLiteral("file is a folder, not a database: ") + folder},
    };
    Connection connection;
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorOf([&] { connection.Open(adotest::ConnectionString(c.Path)); }), ProviderError);
        EXPECT_EQ(mLastMessage.toStdString(), c.Message.toStdString());
        EXPECT_EQ(connection.State(), adStateClosed);
    }
}

TEST_F(AdoConnectionTest, ConnectionStringKeysIgnoreCaseBlanksAndQuotes)
{
    Connection connection;
    connection.Open(QStringLiteral(" DATA SOURCE = ") + mPath + QStringLiteral(" ; Jet OLEDB:Database Password = \"") +
                    adotest::Password + QStringLiteral("\";provider=anything"));
    EXPECT_EQ(connection.State(), adStateOpen);
}

TEST_F(AdoConnectionTest, PasswordWithSemicolonAndQuoteIsKeyedVerbatim)
{
    QTemporaryDir other;
    const QString password = QStringLiteral("a;b'c\"d");
    const QString path = adotest::CreateBank(other, password);
    ASSERT_FALSE(path.isEmpty());
    Connection connection;
    connection.Open(QStringLiteral("Data Source=") + path + QStringLiteral(";Jet OLEDB:Database Password='a;b''c\"d'"));
    EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_Theme")), 6);
    connection.Close();
    EXPECT_NE(ErrorOf([&] { connection.Open(adotest::ConnectionString(path, QStringLiteral("a"))); }), 0);
}

TEST_F(AdoConnectionTest, WindowsSeparatorBeforeTheFileName)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mDir.path() + QStringLiteral("\\QKMExam_L.DLL")));
    EXPECT_EQ(connection.State(), adStateOpen);
}

TEST_F(AdoConnectionTest, StateErrors)
{
    Connection connection;
    EXPECT_EQ(ErrorOf([&] { connection.Close(); }), adErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { connection.Execute(QStringLiteral("Select 1")); }), adErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { connection.Open(QStringLiteral("Provider=x")); }), ProviderError) << "no data source";
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_EQ(ErrorOf([&] { connection.Open(adotest::ConnectionString(mPath)); }), adErrObjectOpen);
    EXPECT_EQ(connection.State(), adStateOpen);
}

// --- statements -------------------------------------------------------------------------------

TEST_F(AdoConnectionTest, ExecuteReportsChangedRowsAndGivesAClosedRecordsetForChanges)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    long affected = -5;
    const auto result =
        connection.Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]=Null,KeyValues='' Where ID=3"), &affected);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(result->State(), adStateClosed);
    connection.Execute(QStringLiteral("Delete From Exam_Theme Where ThemeChapter = 1"), &affected);
    EXPECT_EQ(affected, 3);
}

TEST_F(AdoConnectionTest, ExecuteOfAQueryStandsOnTheFirstRow)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    const auto rs = connection.Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=5"));
    ASSERT_EQ(rs->State(), adStateOpen);
    EXPECT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields(QStringLiteral("KeyValues")).ToString(), QStringLiteral("K5"));
    const auto none = connection.Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=13"));
    EXPECT_TRUE(none->Eof());
}

TEST_F(AdoConnectionTest, EngineErrorsCarryTheEnginesMessage)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_EQ(ErrorOf([&] { connection.Execute(QStringLiteral("Select * From Exam_Nothing")); }), CommandTextError);
    EXPECT_TRUE(mLastMessage.contains(QStringLiteral("Exam_Nothing"))) << mLastMessage.toStdString();
    EXPECT_EQ(ErrorOf([&] { connection.Execute(QStringLiteral("Select * From Exam_Theme Where  Order By ThemeID")); }),
              CommandTextError)
        << "an empty chapter condition";
    EXPECT_EQ(ErrorOf([&] {
                  connection.Execute(QStringLiteral("Insert Into Sys_KeyCfg(ID,KeyCode,KeyValues) Values (1,'1','x')"));
              }),
              ProviderError)
        << "a constraint fails when the statement runs";
    EXPECT_EQ(connection.State(), adStateOpen) << "a failed statement leaves the connection usable";
}

TEST_F(AdoConnectionTest, FileErrorsOfStatementsNameTheFile)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    // The connection refuses writes as a read-only file or folder does.
    connection.Execute(QStringLiteral("PRAGMA query_only = 1"));
    EXPECT_EQ(ErrorOf([&] { connection.Execute(QStringLiteral("Delete From Exam_Theme Where ThemeID = 6")); }),
              ProviderError);
    EXPECT_TRUE(mLastMessage.startsWith(QStringLiteral("attempt to write a readonly database: ")))
        << mLastMessage.toStdString();
    EXPECT_TRUE(mLastMessage.endsWith(QStringLiteral("/QKMExam_L.DLL"))) << mLastMessage.toStdString();
    // A table missing is the file's: the program names only tables a bank has. A statement the
    // engine cannot read is the statement's mistake, not the file's.
    EXPECT_EQ(ErrorOf([&] { connection.Execute(QStringLiteral("Select * From Exam_Nothing")); }), CommandTextError);
    EXPECT_EQ(mLastMessage.toStdString(), (QStringLiteral("no such table: Exam_Nothing: ") + mPath).toStdString());
    EXPECT_EQ(ErrorOf([&] { connection.Execute(QStringLiteral("Select * Exam_Theme")); }), CommandTextError);
    EXPECT_FALSE(mLastMessage.contains(QStringLiteral("QKMExam_L.DLL"))) << mLastMessage.toStdString();
}

TEST_F(AdoConnectionTest, OnlyOneStatementRunsPerCall)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_EQ(ErrorOf([&] {
                  connection.Execute(QStringLiteral("Update Sys_KeyCfg Set KeyValues='x' Where ID=1; Delete From "
                                                    "Exam_Theme"));
              }),
              CommandTextError);
    EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_Theme")), 6);
    EXPECT_EQ(connection.Execute(QStringLiteral("Select KeyValues From Sys_KeyCfg Where ID=1"))->Fields(0).ToString(),
              QStringLiteral("K1"))
        << "nothing of a refused text runs";
    connection.Execute(QStringLiteral("Delete From Exam_ThemePaper;  "));
}

// --- transactions -----------------------------------------------------------------------------

TEST_F(AdoConnectionTest, TransactionGuardRollsBackWithoutCommit)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    {
        TransactionGuard guard(connection);
        connection.Execute(QStringLiteral("Delete From Exam_Theme"));
        EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_Theme")), 0);
    }
    EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_Theme")), 6);
}

TEST_F(AdoConnectionTest, TransactionGuardRollsBackWhenAStatementThrows)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_THROW(
        {
            TransactionGuard guard(connection);
            connection.Execute(QStringLiteral("Delete From Exam_ThemeChapter"));
            connection.Execute(QStringLiteral("Insert Into Nowhere Values (1)"));
            guard.Commit();
        },
        RuntimeError);
    EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_ThemeChapter")), 3);
}

TEST_F(AdoConnectionTest, TransactionGuardKeepsCommittedWork)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    {
        TransactionGuard guard(connection);
        connection.Execute(QStringLiteral("Delete From Exam_ThemeChapter Where ID = 3"));
        guard.Commit();
    }
    connection.Close();
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_ThemeChapter")), 2);
}

TEST_F(AdoConnectionTest, TransactionGuardOutlivingItsConnectionDoesNotThrow)
{
    Connection connection;
    connection.Open(adotest::ConnectionString(mPath));
    {
        TransactionGuard guard(connection);
        connection.Execute(QStringLiteral("Delete From Exam_Theme"));
        connection.Close();
    }
    connection.Open(adotest::ConnectionString(mPath));
    EXPECT_EQ(CountRows(connection, QStringLiteral("Exam_Theme")), 6) << "closing dropped the open transaction";
}

// --- other programs on the same file ----------------------------------------------------------

// A second program that reads or writes for a moment is waited for, up to CommandTimeout seconds;
// a lock held longer fails the statement with the engine's message. Transactions take the write lock
// when they begin, so two writers queue instead of failing each other halfway.
TEST_F(AdoConnectionTest, LocksOfOtherConnectionsAreWaitedForUpToTheCommandTimeout)
{
    Connection writer;
    EXPECT_EQ(writer.CommandTimeout(), 30) << "seconds";
    writer.SetCommandTimeout(5);
    writer.Open(adotest::ConnectionString(mPath));

    // A reader in the middle of a read (a shared lock) for 300 ms: the writer's commit waits for it.
    {
        Connection reader;
        reader.Open(adotest::ConnectionString(mPath));
        reader.Execute(QStringLiteral("BEGIN"));
        EXPECT_EQ(CountRows(reader, QStringLiteral("Exam_Theme")), 6);
        std::thread release([&reader] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            reader.Execute(QStringLiteral("COMMIT"));
        });
        EXPECT_EQ(ErrorOf([&] { writer.Execute(QStringLiteral("Delete From Exam_Theme Where ThemeID = 6")); }), 0)
            << mLastMessage.toStdString();
        release.join();
    }
    EXPECT_EQ(CountRows(writer, QStringLiteral("Exam_Theme")), 5);

    // Another writer's transaction for longer than the timeout (set on the open connection): the
    // second one gives up after it.
    writer.SetCommandTimeout(1);
    Connection other;
    other.SetCommandTimeout(5);
    other.Open(adotest::ConnectionString(mPath));
    other.BeginTrans();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ErrorOf([&] { writer.BeginTrans(); }), ProviderError);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(mLastMessage, QStringLiteral("database is locked"));
    other.RollbackTrans();

    // Opening waits as well: the key is checked by a read, which a commit in progress holds off.
    other.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    std::thread commit([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.Execute(QStringLiteral("COMMIT"));
    });
    Connection late;
    EXPECT_EQ(ErrorOf([&] { late.Open(adotest::ConnectionString(mPath)); }), 0) << mLastMessage.toStdString();
    commit.join();
}

} // namespace

// A closed connection's handle is kept for the next open of the same file, to spare the key's
// derivation; it must never stand in for a file that is no longer the one it was opened on.
TEST_F(AdoConnectionTest, AReopenSeesTheFileAsItIsNowWhateverHappenedToItMeanwhile)
{
    const QString bank = adotest::ConnectionString(mPath);
    Connection first;
    first.Open(bank);
    first.Execute(QStringLiteral("Delete From Exam_ThemePaper"));
    first.Close();

    // Changed by another connection while closed: the reopened one sees the change.
    {
        Connection other;
        other.Open(bank);
        other.Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,ThemeAnswer) "
                                     "Values (1,'1',1,1,'x')"));
        other.Close();
    }
    Connection again;
    again.Open(bank);
    EXPECT_EQ(CountRows(again, QStringLiteral("Exam_ThemePaper")), 1);
    again.Close();

    // Replaced by another bank under the same name: the new file is read, not the old one.
    QTemporaryDir otherDir;
    const QString replacement = adotest::CreateBank(otherDir);
    long replacementRows = 0;
    {
        Connection direct;
        direct.Open(adotest::ConnectionString(replacement));
        replacementRows = CountRows(direct, QStringLiteral("Exam_ThemePaper"));
    }
    ASSERT_NE(replacementRows, 1);
    ASSERT_TRUE(QFile::remove(mPath));
    ASSERT_TRUE(QFile::copy(replacement, mPath));
    Connection replaced;
    replaced.Open(bank);
    EXPECT_EQ(CountRows(replaced, QStringLiteral("Exam_ThemePaper")), replacementRows);
    replaced.Close();

    // A wrong password after a right one is refused; a deleted file cannot be opened.
    Connection wrong;
    EXPECT_NE(ErrorOf([&] { wrong.Open(adotest::ConnectionString(mPath, QStringLiteral("not-the-password"))); }), 0);
    ASSERT_TRUE(QFile::remove(mPath));
    Connection gone;
    EXPECT_NE(ErrorOf([&] { gone.Open(bank); }), 0);
    EXPECT_EQ(gone.State(), adStateClosed);
}
