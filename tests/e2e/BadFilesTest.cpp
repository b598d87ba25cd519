// Bad files in the program folder: each gives its specified outcome, or a message that names the
// file and what is wrong, and then a clean end; never a hang, never a crash.
#include "Journeys.h"

#include "Connection.h"
#include "QuestionText.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

using namespace e2e;

namespace {

// ---------------------------------------------------------------------------------------------
// Question banks that cannot be opened. The bank is first touched by a mode button: wrong-answer
// practice opens it at once, so that is the shortest way to each message.

struct BadBank {
    const char* Name;
    std::function<void(ProgramFolder&)> Spoil;
    const char* Reason; // what the message must say besides the file
};

void Truncate(ProgramFolder& folder)
{
    const QByteArray whole = folder.Read(QStringLiteral("QKMExam_L.DLL"));
    folder.Write(QStringLiteral("QKMExam_L.DLL"), whole.left(whole.size() / 2));
}

void Rekey(ProgramFolder& folder)
{
    Ado::Connection conn;
    conn.Open(QStringLiteral("Data Source=") + folder.Bank() + QStringLiteral(";Jet OLEDB:Database Password=") +
              QString::fromUtf16(kQuestionBankPassword));
    conn.Execute(QStringLiteral("PRAGMA rekey = 'another password'"));
    conn.Close();
}

const BadBank kBadBanks[] = {
    {"Missing", [](ProgramFolder& f) { QFile::remove(f.Bank()); }, "unable to open database file"},
    {"Truncated", Truncate, "database disk image is malformed"},
    {"NotABank",
     [](ProgramFolder& f) { f.Write(QStringLiteral("QKMExam_L.DLL"), QByteArray("MZ this is a library, not a bank\n").repeated(200)); },
     "is not a database"},
    // The cipher cannot tell a wrong password from a file that is no database at all.
    {"WrongPassword", Rekey, "is not a database"},
};

class BadBankFile : public ::testing::TestWithParam<BadBank> {};

} // namespace

TEST_P(BadBankFile, NamedInTheErrorMessageThenTheProgramEnds)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    GetParam().Spoil(session.Folder());
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu) << "the bank is not touched at start-up, so the menu must come";

    const FormLayout main(QStringLiteral("FrmMain"));
    session.Click(session.PanelPoint(main, QStringLiteral("CmdErrStdy"), *menu));
    const QString message = session.BoxText(kProgramTitle, QStringLiteral("error-message"));
    EXPECT_TRUE(message.startsWith(QStringLiteral("运行时错误 '"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("QKMExam_L.DLL"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(GetParam().Reason))) << message.toStdString();

    ASSERT_TRUE(session.AnswerBox(kProgramTitle, QStringLiteral("Return")));
    ASSERT_TRUE(session.Running().WaitForExit(10000)) << "the program goes on after its error";
    EXPECT_EQ(session.Running().TermSignal(), 0) << session.Running().Log().toStdString();
    EXPECT_TRUE(session.Server().Windows().empty());
}

INSTANTIATE_TEST_SUITE_P(E2e, BadBankFile, ::testing::ValuesIn(kBadBanks),
                         [](const ::testing::TestParamInfo<BadBank>& info) { return std::string(info.param.Name); });
