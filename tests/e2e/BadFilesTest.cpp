// Bad files in the program folder: each gives its designed outcome, or a message that names the
// file and what is wrong, and then a clean end; never a hang, never a crash.
#include "Journeys.h"

#include "Connection.h"
#include "QuestionText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <sys/stat.h>
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
    {"Empty", [](ProgramFolder& f) { f.Write(QStringLiteral("QKMExam_L.DLL"), QByteArray()); },
     "file is empty, not a question bank"},
    {"Truncated", Truncate, "database disk image is malformed"},
    {"NotABank",
     [](ProgramFolder& f) {
         f.Write(QStringLiteral("QKMExam_L.DLL"), QByteArray("MZ this is a library, not a bank\n").repeated(200));
     },
     "is not a database"},
    // The cipher cannot tell a wrong password from a file that is no database at all.
    {"WrongPassword", Rekey, "is not a database"},
    // Not regular files: refused before the engine reads them (it would wait on a FIFO for ever).
    {"DeviceLink",
     [](ProgramFolder& f) {
         ASSERT_TRUE(QFile::remove(f.Bank()));
         ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), f.Bank()));
     },
     "file is a device, not a database"},
    {"Fifo",
     [](ProgramFolder& f) {
         ASSERT_TRUE(QFile::remove(f.Bank()));
         ASSERT_EQ(::mkfifo(QFile::encodeName(f.Bank()).constData(), 0600), 0);
     },
     "file is a FIFO, not a database"},
    {"Folder",
     [](ProgramFolder& f) {
         ASSERT_TRUE(QFile::remove(f.Bank()));
         ASSERT_TRUE(QDir().mkdir(f.Bank()));
     },
     "file is a folder, not a database"},
};

// Named in test lists by its name rather than its bytes.
void PrintTo(const BadBank& bank, std::ostream* out)
{
    *out << bank.Name;
}

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

// ---------------------------------------------------------------------------------------------
// Settings files full of garbage: nothing the program reads from them can stop it.

namespace {

QByteArray Garbage()
{
    QByteArray bytes;
    quint32 x = 12345;
    for (int i = 0; i < 6000; ++i) {
        x = x * 1103515245U + 12345U;
        bytes.append(char(x >> 24));
    }
    // Something that looks like a section and keys, with values no number can be read from.
    bytes += "\r\n[CompanyInfo]\r\nCompany=\xff\xfe\x00\x01zz\r\n[System]\r\nExamTime=abc\r\nExamPaperID=\x01\x02\r\n";
    bytes += QByteArray(70000, 'x');
    return bytes;
}

} // namespace

TEST(BadSettingsFiles, SystemIniAndSThemeCfgFullOfGarbage)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    session.Folder().Write(QStringLiteral("System.ini"), Garbage());
    session.Folder().Write(QStringLiteral("STheme.cfg"), Garbage());
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu) << session.Running().Log().toStdString();
    session.Shot(QStringLiteral("main-menu"));

    // A mock exam still gets its paper, and STheme.cfg its [System] keys.
    ASSERT_TRUE(session.ChooseTrade(*menu, true, 0));
    ASSERT_TRUE(session.WaitWindowGone(menu->Id)) << session.Running().Log().toStdString();
    const QByteArray cfg = session.Folder().Read(QStringLiteral("STheme.cfg"));
    EXPECT_TRUE(cfg.contains("ExamTime=60")) << cfg.left(200).toStdString();
    BankReader bank(session.Folder().Bank());
    const std::vector<PaperRow> paper = bank.Paper();
    ASSERT_EQ(paper.size(), 50U);
    EXPECT_TRUE(cfg.contains("ExamPaperID=" + paper.front().ExamPaperID.toLatin1()));
    EXPECT_TRUE(session.Running().Running()) << session.Running().Log().toStdString();
}

// ---------------------------------------------------------------------------------------------
// A program folder that cannot be written: the program starts; the paper generator, which must write
// the bank, ends it with the standard error message naming the bank and what is wrong.

TEST(BadProgramFolder, ReadOnlyFolderEndsTheGenerationNamingTheBank)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    session.Folder().MakeReadOnly();
    const std::optional<WindowInfo> menu = session.StartToMainMenu(true);
    ASSERT_TRUE(menu) << session.Running().Log().toStdString();
    EXPECT_FALSE(QFile::exists(session.Folder().File(QStringLiteral("System.ini"))));

    ASSERT_TRUE(session.ChooseTrade(*menu, true, 1));
    const QString message = session.BoxText(kProgramTitle, QStringLiteral("error-message"));
    EXPECT_TRUE(message.startsWith(QStringLiteral("运行时错误 '"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("readonly"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("QKMExam_L.DLL"))) << message.toStdString();
    ASSERT_TRUE(session.AnswerBox(kProgramTitle, QStringLiteral("Return")));
    ASSERT_TRUE(session.Running().WaitForExit(10000)) << "the program goes on after its error";
    EXPECT_EQ(session.Running().TermSignal(), 0);
    BankReader bank(session.Folder().Bank());
    EXPECT_TRUE(bank.Paper().empty());
    EXPECT_FALSE(QFile::exists(session.Folder().File(QStringLiteral("STheme.cfg"))));
}

// Tivex.dat, the scratch file of a question's picture, cannot be written (a folder stands in its
// place): the first question with a picture ends the program with the standard error message that
// names the file.
TEST(BadProgramFolder, TivexDatNotWritableEndsTheProgramNamingIt)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    ASSERT_TRUE(QDir(session.Folder().Path()).mkdir(QStringLiteral("Tivex.dat")));
    // The first question with a picture, and its place in its chapter's practice.
    int chapter = 0;
    int place = 0;
    {
        BankReader bank(session.Folder().Bank());
        const QString id =
            bank.Scalar(QStringLiteral("Select Min(ThemeID) From Exam_Theme Where ThemeImage Is Not Null"));
        ASSERT_FALSE(id.isEmpty()) << "the demo bank has no picture";
        chapter = bank.Scalar(QStringLiteral("Select ThemeChapter From Exam_Theme Where ThemeID = ") + id).toInt();
        const auto questions = bank.Questions(chapter);
        for (std::size_t i = 0; i < questions.size(); ++i) {
            if (questions[i].first == id.toInt()) {
                place = int(i) + 1;
            }
        }
        ASSERT_GT(place, 0);
    }
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu);
    const FormLayout module(QStringLiteral("FrmMnlx"));
    session.Click(session.PanelPoint(FormLayout(QStringLiteral("FrmMain")), QStringLiteral("CmdStdy"), *menu));
    const std::optional<WindowInfo> chooser = session.WaitWindow(kModuleChooserTitle);
    ASSERT_TRUE(chooser);
    session.Click(session.DialogPoint(module, QStringLiteral("Comb"), *chooser) + QPoint(0, 10));
    session.Keys().Key(QStringLiteral("Escape"));
    for (int i = 1; i < chapter; ++i) {
        session.Keys().Key(QStringLiteral("Down"));
    }
    session.Click(session.DialogPoint(module, QStringLiteral("CmdYes"), *chooser));
    const std::optional<WindowInfo> window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    ExamScreen exam(session, *window);
    session.WaitSettled(window->Geometry);
    for (int i = 1; i < place; ++i) {
        const QImage before = exam.GrabQuestion();
        session.Keys().Key(QStringLiteral("KP_9"));
        if (i + 1 < place) {
            ASSERT_TRUE(exam.WaitQuestionChange(before)) << "step " << i;
        }
    }
    const QString message = session.BoxText(kProgramTitle, QStringLiteral("error-message"));
    EXPECT_TRUE(message.startsWith(QStringLiteral("运行时错误 '"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Tivex.dat"))) << message.toStdString();
    ASSERT_TRUE(session.AnswerBox(kProgramTitle, QStringLiteral("Return")));
    ASSERT_TRUE(session.Running().WaitForExit(10000)) << "the program goes on after its error";
    EXPECT_EQ(session.Running().TermSignal(), 0);
}
