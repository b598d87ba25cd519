// The three practice modes, each started from the main menu and ended on the exam screen: a wrong and
// then a right answer with their verdicts, a step that clears them, and the end of practice asked
// for (in chapter practice first by B and declined: asked once, and the keys act again at once).
// Wrong-answer practice runs over the paper of a short mock exam sat first.
#include "Journeys.h"

#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

using namespace e2e;

namespace {

const QRgb kRight = qRgb(0, 0xFF, 0);         // &H0000FF00&: the right verdict, "答题正确"
const QRgb kWrong = qRgb(0xFF, 0, 0);         // &H000000FF&: the wrong verdict, "答题错误"
const QRgb kUnanswered = qRgb(0xFF, 0xFF, 0); // &H0000FFFF&: "未答题目"
const QRgb kCurrentButton = qRgb(0x80, 0xFF, 0xFF);
const QRgb kThemeCount = qRgb(0xFF, 0, 0); // LabThemeCt, red

QString WrongDigit(const QString& right)
{
    return right.startsWith(QLatin1Char('1')) ? QStringLiteral("2") : QStringLiteral("1");
}

QString KeypadKey(const QString& digit)
{
    return QStringLiteral("KP_") + digit.left(1);
}

// A wrong answer then the right one on the question shown, by the keypad; the verdict's colour
// follows each. `right` is the question's right answer; multiple-choice answers are typed whole.
void JudgeWrongThenRight(Session& session, ExamScreen& exam, const QString& right, const QString& shotPrefix)
{
    const QRect verdict = exam.Rect(QStringLiteral("LabPd")).adjusted(-20, -4, 20, 4);
    EXPECT_EQ(exam.CountColour(verdict, kWrong) + exam.CountColour(verdict, kRight), 0)
        << "a verdict before any answer";
    session.Keys().Key(KeypadKey(WrongDigit(right)));
    EXPECT_TRUE(WaitFor([&] { return exam.CountColour(verdict, kWrong) > 10; }, 5000)) << "no red verdict";
    EXPECT_EQ(exam.CountColour(verdict, kRight), 0);
    session.Shot(shotPrefix + QStringLiteral("-wrong"));
    // The right answer: a true/false or single choice replaces the digit; a multiple choice is
    // cleared first with Backspace and typed digit by digit.
    if (right.size() > 1) {
        session.Keys().Key(QStringLiteral("BackSpace"));
    }
    for (const QChar digit : right) {
        session.Keys().Key(KeypadKey(QString(digit)));
    }
    EXPECT_TRUE(WaitFor([&] { return exam.CountColour(verdict, kRight) > 10; }, 5000)) << "no green verdict";
    EXPECT_EQ(exam.CountColour(verdict, kWrong), 0);
    session.Shot(shotPrefix + QStringLiteral("-right"));

    // A step clears the answer and hides the verdict.
    const QImage question = exam.GrabQuestion();
    session.Keys().Key(QStringLiteral("KP_9"));
    EXPECT_TRUE(exam.WaitQuestionChange(question));
    EXPECT_EQ(exam.CountColour(verdict, kWrong) + exam.CountColour(verdict, kRight), 0) << "the verdict stays";
}

// 结束练习 (by mouse or by B) asks; 是 ends the practice and a new main menu comes.
std::optional<WindowInfo> EndPractice(Session& session, ExamScreen& exam, bool byKey)
{
    if (byKey) {
        session.Keys().MoveTo(exam.Point(QStringLiteral("Label2")));
        session.Keys().Key(QStringLiteral("b"));
    } else {
        session.Click(exam.Point(QStringLiteral("CmdExam(2)")));
    }
    const QString question = session.BoxText(kExamNoticeTitle);
    EXPECT_TRUE(question.contains(QStringLiteral("真的要停止练习吗？"))) << question.toStdString();
    if (!session.AnswerBox(kExamNoticeTitle, QStringLiteral("Return"))) {
        ADD_FAILURE() << "the question does not go";
        return std::nullopt;
    }
    const std::optional<WindowInfo> menu = session.WaitNewScreen(exam.Window().Id);
    EXPECT_TRUE(menu) << session.Running().Log().toStdString();
    EXPECT_TRUE(session.WaitWindowGone(exam.Window().Id)) << "the exam screen stays";
    if (menu) {
        session.WaitSettled(menu->Geometry);
    }
    return menu;
}

} // namespace

TEST(PracticeJourney, ChapterSequentialAndWrongAnswerPractice)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu);
    const FormLayout module(QStringLiteral("FrmMnlx"));

    // ---- Chapter practice over the second module ("车身修复F模块"), the list moved with Down.
    session.Click(session.PanelPoint(FormLayout(QStringLiteral("FrmMain")), QStringLiteral("CmdStdy"), *menu));
    const std::optional<WindowInfo> chooser = session.WaitWindow(kModuleChooserTitle);
    ASSERT_TRUE(chooser);
    session.Click(session.DialogPoint(module, QStringLiteral("Comb"), *chooser) + QPoint(0, 10));
    session.Keys().Key(QStringLiteral("Escape")); // the list closes; the box keeps the focus
    session.Keys().Key(QStringLiteral("Down"));
    QThread::msleep(200);
    session.Shot(QStringLiteral("module-chosen"));
    session.Click(session.DialogPoint(module, QStringLiteral("CmdYes"), *chooser));
    std::optional<WindowInfo> window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    {
        ExamScreen exam(session, *window);
        session.WaitSettled(window->Geometry);
        session.Shot(QStringLiteral("chapter-practice"));
        EXPECT_GT(exam.CountColour(exam.Rect(QStringLiteral("LabThemeCt")), kThemeCount), 10) << "no question count";
        BankReader bank(session.Folder().Bank());
        const auto questions = bank.Questions(2);
        ASSERT_FALSE(questions.empty());
        EXPECT_EQ(exam.Options().size(), std::size_t(bank.Options(questions.front().first).size()));
        JudgeWrongThenRight(session, exam, bank.RightAnswer(questions.front().first), QStringLiteral("chapter"));
        // B asks once; after 否 the practice goes on and Num 1 answers the question shown.
        exam.DeclineEndByKey(QStringLiteral("真的要停止练习吗？"));
        const QRect verdict = exam.Rect(QStringLiteral("LabPd")).adjusted(-20, -4, 20, 4);
        session.Keys().Key(QStringLiteral("KP_1"));
        EXPECT_TRUE(
            WaitFor([&] { return exam.CountColour(verdict, kWrong) + exam.CountColour(verdict, kRight) > 10; }, 5000))
            << "Num 1 after 否 is not judged";
        menu = EndPractice(session, exam, false);
        ASSERT_TRUE(menu);
    }

    // ---- Sequential practice over the painting trade (chapters 1 and 3).
    ASSERT_TRUE(session.ChooseTrade(*menu, false, 1));
    window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    {
        ExamScreen exam(session, *window);
        session.WaitSettled(window->Geometry);
        session.Shot(QStringLiteral("sequential-practice"));
        BankReader bank(session.Folder().Bank());
        const auto questions = bank.Questions(0, QStringLiteral("ThemeChapter = 1 Or ThemeChapter = 3"));
        ASSERT_FALSE(questions.empty());
        JudgeWrongThenRight(session, exam, bank.RightAnswer(questions.front().first), QStringLiteral("sequential"));
        // On to the first question with a picture: it comes through Tivex.dat and stands under the text.
        const int withPicture =
            bank.Scalar(QStringLiteral("Select Min(ThemeID) From Exam_Theme Where ThemeImage Is Not Null And "
                                       "(ThemeChapter = 1 Or ThemeChapter = 3)"))
                .toInt();
        int place = 0;
        for (std::size_t i = 0; i < questions.size(); ++i) {
            place = questions[i].first == withPicture ? int(i) + 1 : place;
        }
        ASSERT_GT(place, 2);
        EXPECT_FALSE(QFile::exists(session.Folder().File(QStringLiteral("Tivex.dat"))));
        for (int at = 2; at < place; ++at) {
            const QImage before = exam.GrabQuestion();
            session.Keys().Key(QStringLiteral("KP_9"));
            ASSERT_TRUE(exam.WaitQuestionChange(before)) << "to place " << at + 1;
        }
        EXPECT_TRUE(QFile::exists(session.Folder().File(QStringLiteral("Tivex.dat"))));
        // The options stand below the picture: option 1 lower than on a question without one.
        EXPECT_GT(exam.Options().front().y(), exam.Rect(QStringLiteral("Picture1")).top() + 2760 / 15 + 30);
        session.Shot(QStringLiteral("question-with-picture"));
        menu = EndPractice(session, exam, true);
        ASSERT_TRUE(menu);
    }

    // ---- A short mock exam for wrong-answer practice: place 1 right, 2 wrong, the rest unanswered.
    ASSERT_TRUE(session.ChooseTrade(*menu, true, 0));
    window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    std::vector<PaperRow> paper;
    {
        ExamScreen exam(session, *window);
        session.WaitSettled(window->Geometry);
        BankReader bank(session.Folder().Bank());
        paper = bank.Paper();
        ASSERT_EQ(paper.size(), 50U);
        const QImage empty = exam.Grab(QStringLiteral("LabStAswS"));
        session.Keys().Key(KeypadKey(paper[0].RightAnswer));
        ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), empty));
        QImage question = exam.GrabQuestion();
        session.Keys().Key(QStringLiteral("KP_9"));
        ASSERT_TRUE(exam.WaitQuestionChange(question));
        session.Keys().Key(KeypadKey(WrongDigit(paper[1].RightAnswer)));
        ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), empty));
        session.Keys().Key(QStringLiteral("b"));
        ASSERT_TRUE(session.AnswerBox(kExamNoticeTitle, QStringLiteral("Return")));
        const std::optional<WindowInfo> results = session.WaitWindow(kResultsTitle);
        ASSERT_TRUE(results);
        session.WaitSettled(results->Geometry, 3000);
        session.Click(
            session.DialogPoint(FormLayout(QStringLiteral("FrmExamResults")), QStringLiteral("CmdOK"), *results));
        menu = session.WaitNewScreen(window->Id);
        ASSERT_TRUE(menu);
        session.WaitSettled(menu->Geometry);
    }

    // ---- Wrong-answer practice: the legend, the buttons in their colours, a wrong and a right answer.
    session.Click(session.PanelPoint(FormLayout(QStringLiteral("FrmMain")), QStringLiteral("CmdErrStdy"), *menu));
    window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    {
        ExamScreen exam(session, *window);
        session.WaitSettled(window->Geometry);
        session.Shot(QStringLiteral("wrong-answer-practice"));
        const QRect legend = exam.Rect(QStringLiteral("PicBdTS"));
        EXPECT_GT(exam.CountColour(legend, kRight), 50) << "no legend";
        EXPECT_GT(exam.CountColour(legend, kWrong), 50);
        EXPECT_GT(exam.CountColour(legend, kUnanswered), 50);
        EXPECT_GT(exam.CountColour(exam.NumberButtonRect(1), kCurrentButton), 50) << "button 1 is not the current one";
        EXPECT_GT(exam.CountColour(exam.NumberButtonRect(2), kWrong), 50) << "button 2 is not red";
        EXPECT_GT(exam.CountColour(exam.NumberButtonRect(3), kUnanswered), 50) << "button 3 is not yellow";
        EXPECT_GT(exam.CountColour(exam.NumberButtonRect(50), kUnanswered), 50) << "button 50 is not yellow";

        // Question 2 by its button; button 1 then shows its green.
        const QImage question = exam.GrabQuestion();
        session.Click(exam.NumberButton(2));
        ASSERT_TRUE(exam.WaitQuestionChange(question));
        EXPECT_GT(exam.CountColour(exam.NumberButtonRect(1), kRight), 50) << "button 1 is not green";
        JudgeWrongThenRight(session, exam, paper[1].RightAnswer, QStringLiteral("wrong-answer"));
        menu = EndPractice(session, exam, false);
        ASSERT_TRUE(menu);
    }
    session.Shot(QStringLiteral("main-menu-again"));
    // Practice stores nothing: the paper's answers are as the mock exam left them.
    BankReader bank(session.Folder().Bank());
    const std::vector<PaperRow> after = bank.Paper();
    ASSERT_EQ(after.size(), 50U);
    EXPECT_EQ(after[0].StudentAnswer, paper[0].RightAnswer);
    EXPECT_EQ(after[1].StudentAnswer, WrongDigit(paper[1].RightAnswer));
    EXPECT_FALSE(after[2].Answered);
}
