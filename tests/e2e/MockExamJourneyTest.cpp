// A whole mock exam as a candidate sits it: the paper generated, answers given by mouse and by the
// default keys, a question left and shown again, an answer changed and shortened, the hand-in asked
// three times (否 to B and to 交卷, each asked once and the keys the screen's again at once, then 是),
// the scoring and the results, and a new main menu; the answers and the points checked in the bank.
// Midway a second program started on the same folder is refused and leaves the folder as it was.
#include "Journeys.h"

#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

#include <map>

using namespace e2e;

namespace {

// The digit of a true/false or single-choice answer that is not the right one.
QString WrongDigit(const QString& right)
{
    return right == QStringLiteral("1") ? QStringLiteral("2") : QStringLiteral("1");
}

QString KeypadKey(QChar digit)
{
    return QStringLiteral("KP_") + digit;
}

// Every file of the program folder with its content.
std::map<QString, QByteArray> FolderFiles(const ProgramFolder& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden)) {
        files[name] = folder.Read(name);
    }
    return files;
}

const QRgb kGreenClock = qRgb(0, 0xC0, 0);          // &H0000C000&
const QRgb kAnsweredMark = qRgb(0, 0x80, 0);        // &H00008000&, the number of an answered question
const QRgb kCurrentButton = qRgb(0x80, 0xFF, 0xFF); // &H00FFFF80&

} // namespace

TEST(MockExamJourney, AnsweredByMouseAndKeysHandedInScoredAndBackToTheMenu)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    // A picture left by an earlier run, as in a folder in use.
    session.Folder().Write(QStringLiteral("Tivex.dat"), QByteArray("<svg/>"));
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu);

    // Sheet metal: the demo bank's 60-minute model of 50 questions.
    ASSERT_TRUE(session.ChooseTrade(*menu, true, 0));
    const std::optional<WindowInfo> window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    EXPECT_FALSE(session.Server().FindWindow(kProgramTitle, QSize(1280, 1024)).has_value() &&
                 session.Server().FindWindow(kProgramTitle, QSize(1280, 1024))->Id == menu->Id)
        << "the main menu stays";
    ExamScreen exam(session, *window);
    session.WaitSettled(window->Geometry);
    session.Shot(QStringLiteral("exam-screen"));

    BankReader bank(session.Folder().Bank());
    const std::vector<PaperRow> paper = bank.Paper();
    ASSERT_EQ(paper.size(), 50U);
    EXPECT_GT(exam.CountColour(exam.Rect(QStringLiteral("LabTime")), kGreenClock), 20) << "the clock is not green";
    EXPECT_GT(exam.CountColour(exam.NumberButtonRect(1), kCurrentButton), 50) << "question 1 is not highlighted";

    std::map<int, QString> expected; // place -> the answer the screen must have stored
    const QImage emptyAnswer = exam.Grab(QStringLiteral("LabStAswS"));

    // Question 1, true/false: the right option by mouse.
    QImage question = exam.GrabQuestion();
    std::vector<QPoint> options = exam.Options();
    ASSERT_EQ(options.size(), std::size_t(bank.Options(paper[0].ThemeID).size())) << "options found on the screen";
    const QString right1 = paper[0].RightAnswer;
    session.Click(options[std::size_t(right1.toInt() - 1)]);
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer)) << "the click shows no answer";
    expected[1] = right1;
    session.Shot(QStringLiteral("question-1-answered"));

    // Num 9 to question 2. B asks for the hand-in once; after 否 the screen has the keyboard back at
    // once, and question 2 is answered wrong with the keypad.
    session.Keys().Key(QStringLiteral("KP_9"));
    ASSERT_TRUE(exam.WaitQuestionChange(question)) << "Num 9 does not step";
    EXPECT_GT(exam.CountColour(exam.NumberButtonRect(1), kAnsweredMark), 5) << "question 1 is not marked answered";
    exam.DeclineEndByKey(QStringLiteral("确认之后即提交试卷。"));
    session.Keys().Key(KeypadKey(WrongDigit(paper[1].RightAnswer).at(0)));
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer));
    expected[2] = WrongDigit(paper[1].RightAnswer);
    // Num 3 and Num 4 choose nothing on a true/false question.
    const QImage answer2 = exam.Grab(QStringLiteral("LabStAswS"));
    session.Keys().Key(QStringLiteral("KP_3"));
    session.Keys().Key(QStringLiteral("KP_4"));
    QThread::msleep(300);
    EXPECT_EQ(exam.Grab(QStringLiteral("LabStAswS")), answer2) << "Num 3 or Num 4 acted on a true/false question";

    // Question 3 left unanswered; question 4 answered, changed, and changed back, by mouse.
    question = exam.GrabQuestion();
    session.Click(exam.Point(QStringLiteral("CmdExam(1)")));
    ASSERT_TRUE(exam.WaitQuestionChange(question)) << "下一题 does not step";
    const QImage question3 = exam.GrabQuestion();
    EXPECT_EQ(exam.Grab(QStringLiteral("LabStAswS")), emptyAnswer) << "question 3 shows an answer";
    session.Keys().Key(QStringLiteral("KP_9"));
    ASSERT_TRUE(exam.WaitQuestionChange(question3));
    options = exam.Options();
    ASSERT_EQ(options.size(), 2U);
    const QString right4 = paper[3].RightAnswer;
    session.Click(options[std::size_t(WrongDigit(right4).toInt() - 1)]);
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer));
    const QImage wrong4 = exam.Grab(QStringLiteral("LabStAswS"));
    session.Click(options[std::size_t(right4.toInt() - 1)]);
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), wrong4)) << "a second option does not replace the first";
    expected[4] = right4;

    // A second program on the same folder is refused before its splash and before it touches a
    // file: it would have made its own paper over this one.
    {
        const std::map<QString, QByteArray> before = FolderFiles(session.Folder());
        for (const char* name : {"QKMExam_L.DLL", "System.ini", "STheme.cfg", "Tivex.dat"}) {
            EXPECT_TRUE(before.count(QString::fromLatin1(name))) << name << " is not there to be kept";
        }
        Program second(session.Server(), session.Folder(), QStringLiteral("second-program"));
        const QString text = session.BoxText(kNoticeTitle, QStringLiteral("second-program-refused"));
        EXPECT_TRUE(text.contains(QStringLiteral("已在此文件夹中运行")) && text.contains(session.Folder().Path()))
            << text.toStdString() << second.Log().toStdString();
        EXPECT_FALSE(session.Server().FindWindow(kProgramTitle, kSplashSize)) << "the second program shows its splash";
        ASSERT_TRUE(session.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
        ASSERT_TRUE(second.WaitForExit(10000)) << "the second program goes on after 确定";
        EXPECT_GT(second.ExitCode(), 0) << second.Log().toStdString();
        EXPECT_TRUE(FolderFiles(session.Folder()) == before) << "the second program changed the folder";
        ASSERT_TRUE(session.Running().Running());
    }

    // Question 3 shown again by its number: still unanswered, then answered with the keypad.
    const QImage question4 = exam.GrabQuestion();
    session.Click(exam.NumberButton(3));
    ASSERT_TRUE(exam.WaitQuestionChange(question4));
    EXPECT_EQ(exam.GrabQuestion(), question3) << "the number button does not show question 3";
    EXPECT_EQ(exam.Grab(QStringLiteral("LabStAswS")), emptyAnswer);
    EXPECT_GT(exam.CountColour(exam.NumberButtonRect(3), kCurrentButton), 50);
    session.Keys().Key(KeypadKey(paper[2].RightAnswer.at(0)));
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer));
    expected[3] = paper[2].RightAnswer;

    // Single choice (places 16 to 35): the right option by the keypad, Num 3 and Num 4 included;
    // then one wrong by mouse.
    ASSERT_EQ(paper[15].ThemeType, 2);
    question = exam.GrabQuestion();
    session.Click(exam.NumberButton(16));
    ASSERT_TRUE(exam.WaitQuestionChange(question));
    session.Keys().Key(KeypadKey(paper[15].RightAnswer.at(0)));
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer));
    expected[16] = paper[15].RightAnswer;
    session.Shot(QStringLiteral("single-choice-answered"));
    question = exam.GrabQuestion();
    session.Click(exam.NumberButton(17));
    ASSERT_TRUE(exam.WaitQuestionChange(question));
    options = exam.Options();
    ASSERT_EQ(options.size(), std::size_t(bank.Options(paper[16].ThemeID).size()));
    const QString wrong17 = WrongDigit(paper[16].RightAnswer);
    session.Click(options[std::size_t(wrong17.toInt() - 1)]);
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer));
    expected[17] = wrong17;

    // Multiple choice (places 36 to 50): the right options clicked highest first, so that the
    // screen must sort them; one clicked twice.
    ASSERT_EQ(paper[35].ThemeType, 3);
    question = exam.GrabQuestion();
    session.Click(exam.NumberButton(36));
    ASSERT_TRUE(exam.WaitQuestionChange(question));
    options = exam.Options();
    ASSERT_EQ(options.size(), std::size_t(bank.Options(paper[35].ThemeID).size()));
    const QString right36 = paper[35].RightAnswer;
    QImage shown = emptyAnswer;
    for (int i = int(right36.size()) - 1; i >= 0; --i) {
        session.Click(options[std::size_t(right36.at(i).digitValue() - 1)]);
        ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), shown));
        shown = exam.Grab(QStringLiteral("LabStAswS"));
    }
    session.Click(options[std::size_t(right36.at(0).digitValue() - 1)]);
    QThread::msleep(300);
    EXPECT_EQ(exam.Grab(QStringLiteral("LabStAswS")), shown) << "a second click on a chosen option changed the answer";
    expected[36] = right36;
    const QImage answer36 = shown;
    session.Shot(QStringLiteral("multiple-choice-answered"));

    // Question 37 by Num 9: Num 2 and Num 1, then Backspace deletes the highest digit: "1" stays.
    question = exam.GrabQuestion();
    session.Keys().Key(QStringLiteral("KP_9"));
    ASSERT_TRUE(exam.WaitQuestionChange(question));
    ASSERT_EQ(paper[36].ThemeType, 3);
    session.Keys().Key(QStringLiteral("KP_2"));
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer));
    shown = exam.Grab(QStringLiteral("LabStAswS"));
    session.Keys().Key(QStringLiteral("KP_1"));
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), shown));
    shown = exam.Grab(QStringLiteral("LabStAswS"));
    session.Keys().Key(QStringLiteral("BackSpace"));
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), shown));
    expected[37] = QStringLiteral("1");

    // Num 7 back to question 36: its stored answer is shown again.
    question = exam.GrabQuestion();
    session.Keys().Key(QStringLiteral("KP_7"));
    ASSERT_TRUE(exam.WaitQuestionChange(question));
    EXPECT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), emptyAnswer));
    EXPECT_EQ(exam.Grab(QStringLiteral("LabStAswS")), answer36) << "question 36 does not show its stored answer";

    // Every answer is in the bank the moment the screen shows it.
    {
        const std::vector<PaperRow> now = bank.Paper();
        for (const PaperRow& row : now) {
            const auto it = expected.find(row.ExamID);
            if (it == expected.end()) {
                EXPECT_FALSE(row.Answered) << "place " << row.ExamID;
            } else {
                EXPECT_EQ(row.StudentAnswer, it->second) << "place " << row.ExamID;
            }
        }
    }

    // 交卷 asks; 否 goes on with the clock running.
    session.Click(exam.Point(QStringLiteral("CmdExam(2)")));
    const QString question1 = session.BoxText(kExamNoticeTitle, QStringLiteral("hand-in-question"));
    EXPECT_TRUE(question1.contains(QStringLiteral("确认之后即提交试卷。"))) << question1.toStdString();
    ASSERT_TRUE(session.AnswerBox(kExamNoticeTitle, QStringLiteral("n")));
    const QImage clock = exam.Grab(QStringLiteral("LabTime"));
    EXPECT_TRUE(exam.WaitChange(QStringLiteral("LabTime"), clock, 3000)) << "the clock stopped after 否";

    // B (the key of "结  束") asks again, the screen having the keyboard back; 是 hands in.
    session.Keys().MoveTo(exam.Point(QStringLiteral("Label2")));
    session.Keys().Key(QStringLiteral("b"));
    ASSERT_TRUE(session.AnswerBox(kExamNoticeTitle, QStringLiteral("Return")));
    // The scoring form (365 x 48 pixels, centred) with its bar, then the results.
    std::optional<WindowInfo> scoring;
    WaitFor(
        [&] {
            for (const WindowInfo& w : session.Server().Windows()) {
                if (w.Geometry.size() == QSize(365, 48)) {
                    scoring = w;
                }
            }
            return scoring.has_value();
        },
        5000, 10);
    EXPECT_TRUE(scoring) << "no scoring form";
    if (scoring) {
        EXPECT_LE((scoring->Geometry.center() - QPoint(640, 512)).manhattanLength(), 2);
        QThread::msleep(500);
        session.Shot(QStringLiteral("scoring"));
    }
    const std::optional<WindowInfo> results = session.WaitWindow(kResultsTitle);
    ASSERT_TRUE(results) << session.Running().Log().toStdString();
    EXPECT_LE((results->Geometry.center() - QPoint(640, 512)).manhattanLength(), 2);
    session.WaitSettled(results->Geometry, 3000);
    session.Shot(QStringLiteral("results"));

    // The points: each answered place scored as it matches the right answer.
    double score = 0;
    for (const PaperRow& row : bank.Paper()) {
        const auto it = expected.find(row.ExamID);
        const bool right = it != expected.end() && it->second == row.RightAnswer;
        ASSERT_TRUE(row.Awarded.has_value()) << "place " << row.ExamID << " not scored";
        EXPECT_EQ(*row.Awarded, right ? row.Points : 0.0) << "place " << row.ExamID;
        score += *row.Awarded;
    }
    // Places 1, 3, 4, 16 and 36 are right for sure; 37's "1" may be right too.
    double sure = 1 + 1 + 1 + 2 + 3;
    if (paper[36].RightAnswer == QStringLiteral("1")) {
        sure += 3;
    }
    EXPECT_EQ(score, sure);
    RecordProperty("score", int(score));

    // Enter on the results is 确定: a new main menu, and the exam screen goes.
    session.Keys().MoveTo(results->Geometry.center());
    session.Keys().Key(QStringLiteral("Return"));
    const std::optional<WindowInfo> again = session.WaitNewScreen(window->Id);
    ASSERT_TRUE(again) << session.Running().Log().toStdString();
    EXPECT_TRUE(session.WaitWindowGone(window->Id));
    EXPECT_FALSE(session.Server().FindWindow(kResultsTitle));
    session.WaitSettled(again->Geometry);
    session.Shot(QStringLiteral("main-menu-again"));
    EXPECT_TRUE(session.Running().Running());
}
