// The program as a person starts it: splash, main menu, the choosers opened and left, wrong-answer
// practice refused without a paper, a mock-exam paper generated behind the panel, and the way out.
#include "Journeys.h"

#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

using namespace e2e;

namespace {

// The [System] keys of STheme.cfg in the order they stand in the file.
QStringList SystemKeys(const QByteArray& cfg)
{
    QStringList keys;
    bool inSystem = false;
    for (const QByteArray& raw : cfg.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inSystem = line == "[System]";
        } else if (inSystem && line.contains('=')) {
            keys << QString::fromLatin1(line.left(line.indexOf('=')).trimmed());
        }
    }
    return keys;
}

QString SystemValue(const QByteArray& cfg, const char* key)
{
    bool inSystem = false;
    for (const QByteArray& raw : cfg.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inSystem = line == "[System]";
        } else if (inSystem && line.startsWith(QByteArray(key) + '=')) {
            return QString::fromLatin1(line.mid(qsizetype(qstrlen(key)) + 1).trimmed());
        }
    }
    return {};
}

} // namespace

TEST(StartUpJourney, SplashMenuChoosersGenerationAndQuit)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->Geometry, QRect(0, 0, 1280, 1024));
    session.Shot(QStringLiteral("main-menu"));
    // No question at start-up: the bank is not touched, so System.ini is the only file made.
    EXPECT_TRUE(QFile::exists(session.Folder().File(QStringLiteral("System.ini"))));
    EXPECT_FALSE(QFile::exists(session.Folder().File(QStringLiteral("STheme.cfg"))));

    const FormLayout main(QStringLiteral("FrmMain"));
    const FormLayout trade(QStringLiteral("FrmZjcx"));
    const FormLayout module(QStringLiteral("FrmMnlx"));

    // Wrong-answer practice before any mock exam: refused with a message, the menu stays.
    session.Click(session.PanelPoint(main, QStringLiteral("CmdErrStdy"), *menu));
    const QString refusal = session.BoxText(kNoticeTitle, QStringLiteral("no-paper-refused"));
    EXPECT_TRUE(refusal.contains(QStringLiteral("当前系统没有经过模拟考试，请在模拟考试以后再进行错题练习")))
        << refusal.toStdString();
    ASSERT_TRUE(session.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
    EXPECT_EQ(session.Server().FindWindow(kProgramTitle, QSize(1280, 1024))->Id, menu->Id);

    // Chapter practice: the module chooser, left with 取消.
    session.Click(session.PanelPoint(main, QStringLiteral("CmdStdy"), *menu));
    std::optional<WindowInfo> chooser = session.WaitWindow(kModuleChooserTitle);
    ASSERT_TRUE(chooser);
    EXPECT_EQ(chooser->Geometry.size(), module.ClientPixels());
    // Centred on the screen.
    EXPECT_LE((chooser->Geometry.center() - QPoint(640, 512)).manhattanLength(), 2);
    session.WaitSettled(chooser->Geometry, 2000);
    session.Shot(QStringLiteral("module-chooser"));
    session.Click(session.DialogPoint(module, QStringLiteral("CmdNo"), *chooser));
    ASSERT_TRUE(session.WaitGone(kModuleChooserTitle));

    // Mock exam: the trade chooser next to the login card; 确定 without a trade is answered in the
    // dialog itself, then 取消 leaves the menu idle.
    session.Click(session.PanelPoint(main, QStringLiteral("CmdMnExam"), *menu));
    chooser = session.WaitWindow(kTradeChooserTitle);
    ASSERT_TRUE(chooser);
    EXPECT_EQ(chooser->Geometry.size(), trade.ClientPixels());
    // At the panel's left + 2350 and top + 5650 twips: 127 + 157 and 127 + 377 pixels.
    EXPECT_LE((chooser->Geometry.topLeft() - QPoint(284, 504)).manhattanLength(), 2);
    session.WaitSettled(chooser->Geometry, 2000);
    const QImage before = session.Server().Grab(chooser->Geometry);
    session.Click(session.DialogPoint(trade, QStringLiteral("CmdYes"), *chooser));
    const QRect message = trade.Pixels(QStringLiteral("LabLxErr")).translated(chooser->Geometry.topLeft());
    EXPECT_TRUE(WaitFor(
        [&] { return session.Server().Grab(message) != before.copy(message.translated(-chooser->Geometry.topLeft())); },
        5000))
        << "确定 without a trade shows no message";
    ASSERT_TRUE(session.Server().FindWindow(kTradeChooserTitle)) << "the dialog must stay";
    session.Shot(QStringLiteral("trade-chooser-no-choice"));
    session.Click(session.DialogPoint(trade, QStringLiteral("CmdNo"), *chooser));
    ASSERT_TRUE(session.WaitGone(kTradeChooserTitle));
    EXPECT_FALSE(QFile::exists(session.Folder().File(QStringLiteral("STheme.cfg"))));

    // Sequential practice asks for the trade too; left again.
    session.Click(session.PanelPoint(main, QStringLiteral("CmdExamStr"), *menu));
    chooser = session.WaitWindow(kTradeChooserTitle);
    ASSERT_TRUE(chooser);
    session.Click(session.DialogPoint(trade, QStringLiteral("CmdNo"), *chooser));
    ASSERT_TRUE(session.WaitGone(kTradeChooserTitle));

    // The mock exam for real: painting, then the generation panel and its bar, then the paper.
    session.Click(session.PanelPoint(main, QStringLiteral("CmdMnExam"), *menu));
    chooser = session.WaitWindow(kTradeChooserTitle);
    ASSERT_TRUE(chooser);
    session.Click(session.DialogPoint(trade, QStringLiteral("OptSlcCX(1)"), *chooser));
    session.WaitSettled(chooser->Geometry, 2000);
    session.Shot(QStringLiteral("trade-chooser-painting"));
    session.Click(session.DialogPoint(trade, QStringLiteral("CmdYes"), *chooser));
    ASSERT_TRUE(session.WaitGone(kTradeChooserTitle));
    // The panel with its climbing bar, photographed while the generator's 1.5 s run.
    const QRect panel =
        QRect(session.PanelPoint(main, QStringLiteral("PicCrtEp"), *menu) - QPoint(180, 24), QSize(361, 49));
    session.Shot(QStringLiteral("generating"));
    const QImage bar1 = session.Server().Grab(panel);
    QThread::msleep(300);
    const QImage bar2 = session.Server().Grab(panel);
    EXPECT_NE(bar1, bar2) << "the bar does not move";

    // Generated: the main menu goes, STheme.cfg and the paper are there.
    ASSERT_TRUE(WaitFor(
        [&] {
            return !session.Server().FindWindow(kProgramTitle, QSize(1280, 1024)) ||
                   session.Server().FindWindow(kProgramTitle, QSize(1280, 1024))->Id != menu->Id;
        },
        kWindowWaitMs))
        << session.Running().Log().toStdString();
    const QByteArray cfg = session.Folder().Read(QStringLiteral("STheme.cfg"));
    EXPECT_EQ(SystemKeys(cfg),
              (QStringList{QStringLiteral("ExamTime"), QStringLiteral("ThemeCount"), QStringLiteral("ExamPaperID")}));
    EXPECT_EQ(SystemValue(cfg, "ExamTime"), QStringLiteral("90"));
    EXPECT_EQ(SystemValue(cfg, "ThemeCount"), QStringLiteral("50"));
    const QString paperId = SystemValue(cfg, "ExamPaperID");
    EXPECT_EQ(paperId.size(), 14);

    BankReader bank(session.Folder().Bank());
    const std::vector<PaperRow> paper = bank.Paper();
    ASSERT_EQ(paper.size(), 50U);
    int lastType = 0;
    for (std::size_t i = 0; i < paper.size(); ++i) {
        EXPECT_EQ(paper[i].ExamID, int(i) + 1);
        EXPECT_EQ(paper[i].ExamPaperID, paperId);
        EXPECT_FALSE(paper[i].Answered);
        // Painting: chapters 1 and 3 only; true/false first, then single, then multiple choice.
        EXPECT_TRUE(paper[i].ThemeChapter == 1 || paper[i].ThemeChapter == 3) << paper[i].ThemeID;
        EXPECT_GE(paper[i].ThemeType, lastType);
        lastType = paper[i].ThemeType;
        EXPECT_EQ(paper[i].RightAnswer, bank.RightAnswer(paper[i].ThemeID));
    }
    EXPECT_TRUE(session.Running().Running()) << session.Running().Log().toStdString();
}

TEST(StartUpJourney, QuitAsksFirstAndEndsCleanly)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu);
    const FormLayout main(QStringLiteral("FrmMain"));

    // "×" asks; 否 keeps everything.
    session.Click(session.PanelPoint(main, QStringLiteral("CmdExit"), *menu));
    const QString question = session.BoxText(kNoticeTitle, QStringLiteral("quit-question"));
    EXPECT_TRUE(question.contains(QStringLiteral("确定要退出系统吗？"))) << question.toStdString();
    ASSERT_TRUE(session.AnswerBox(kNoticeTitle, QStringLiteral("n")));
    QThread::msleep(300);
    EXPECT_TRUE(session.Running().Running());
    EXPECT_EQ(session.Server().FindWindow(kProgramTitle, QSize(1280, 1024))->Id, menu->Id);

    // "退出系统" asks the same; 是 ends the program.
    session.Click(session.PanelPoint(main, QStringLiteral("CmdEndSys"), *menu));
    ASSERT_TRUE(session.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
    ASSERT_TRUE(session.Running().WaitForExit(10000));
    EXPECT_EQ(session.Running().ExitCode(), 0) << session.Running().Log().toStdString();
    EXPECT_TRUE(session.Server().Windows().empty());
}
