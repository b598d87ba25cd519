#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"
#include "ReadConfig.h"

#include <ClQuAK.h>
#include <Connection.h>
#include <Label.h>
#include <QuestionText.h>
#include <Recordset.h>
#include <Runtime.h>
#include <Timer.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <string>

namespace qkmtest {

namespace {

Bank::Question Question(int id, int chapter, int type, std::string text, std::vector<std::string> options,
                        std::string answer)
{
    Bank::Question q;
    q.Id = id;
    q.Chapter = chapter;
    q.Type = type;
    q.Text = std::move(text);
    q.Options = std::move(options);
    q.Answer = std::move(answer);
    return q;
}

std::string Answer(int id)
{
    return RightAnswer(id).toStdString();
}

} // namespace

QString RightAnswer(int themeId)
{
    if (themeId <= 20) {
        return themeId % 2 == 1 ? QStringLiteral("1") : QStringLiteral("2");
    }
    if (themeId <= 40) {
        return QString::number(themeId % 4 + 1);
    }
    if (themeId <= 60) {
        return themeId % 2 == 1 ? QStringLiteral("134") : QStringLiteral("24");
    }
    switch (themeId) {
    case kPictureQuestion:
    case kBrokenPictureQuestion:
        return QStringLiteral("2");
    case kAmpersandQuestion:
        return QStringLiteral("3");
    default:
        return QStringLiteral("1");
    }
}

Bank::Source ExamBankSource()
{
    Bank::Source source;
    source.Chapters = Bank::DefaultChapters();
    source.Keys = Bank::DefaultKeySlots();
    Bank::ExamModel model;
    model.Trade = "钣金（车身修复）技术人员";
    model.Model = "1";
    model.ExamTime = 60;
    model.Quotas = {{1, 1, 1, 20}, {2, 2, 1, 20}, {2, 3, 1, 10}};
    source.Models.push_back(model);
    for (int id = 1; id <= 20; ++id) {
        source.Questions.push_back(
            Question(id, 1, 1, "判断题" + std::to_string(id) + "：焊接前应清除油污。", {"正确", "错误"}, Answer(id)));
    }
    for (int id = 21; id <= 40; ++id) {
        source.Questions.push_back(Question(id, 2, 2, "单选题" + std::to_string(id) + "：车身测量的基准是？",
                                            {"基准面甲" + std::to_string(id), "基准面乙" + std::to_string(id),
                                             "基准面丙" + std::to_string(id), "基准面丁" + std::to_string(id)},
                                            Answer(id)));
    }
    for (int id = 41; id <= 60; ++id) {
        source.Questions.push_back(Question(id, 2, 3, "多选题" + std::to_string(id) + "：喷涂前的准备包括？",
                                            {"除油", "打磨", "遮蔽", "烘烤"}, Answer(id)));
    }
    Bank::Question picture = Question(kPictureQuestion, 3, 2, "看图题：图中的焊接方法是？",
                                      {"点焊", "塞焊", "对接焊", "搭接焊"}, Answer(kPictureQuestion));
    picture.Picture = QFile::encodeName(BankFixture::DataPath(QStringLiteral("pictures/weld.png"))).toStdString();
    source.Questions.push_back(picture);
    Bank::Question broken = Question(kBrokenPictureQuestion, 3, 2, "看图题：图片已损坏的题目",
                                     {"选项一", "选项二", "选项三", "选项四"}, Answer(kBrokenPictureQuestion));
    broken.Picture = QFile::encodeName(BankFixture::DataPath(QStringLiteral("SmallBank.txt"))).toStdString();
    source.Questions.push_back(broken);
    source.Questions.push_back(Question(kAmpersandQuestion, 3, 2, "R&D 部门与 A&&B 工位的职责是？",
                                        {"研&发", "生产", "质检&返修", "销售"}, Answer(kAmpersandQuestion)));
    source.Questions.push_back(
        Question(kChapter3TrueFalse, 3, 1, "涂装车间应保持通风。", {"正确", "错误"}, Answer(kChapter3TrueFalse)));
    return source;
}

std::vector<int> FirstQuestions(int n)
{
    std::vector<int> ids;
    for (int i = 1; i <= n; ++i) {
        ids.push_back((i - 1) % 64 + 1);
    }
    return ids;
}

void MakePaper(const BankFixture& fixture, const std::vector<int>& themeIds, int examMinutes, const QString& paperId,
               int points)
{
    auto bank = fixture.OpenBank();
    bank->BeginTrans();
    bank->Execute(QStringLiteral("Delete From Exam_ThemePaper"));
    for (std::size_t i = 0; i < themeIds.size(); ++i) {
        bank->Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                     "ThemeAnswer) Select %1,'%2',ThemeID,%3,ThemeAnswer From Exam_Theme Where "
                                     "ThemeID = %4")
                          .arg(i + 1)
                          .arg(QString(paperId).replace(QLatin1Char('\''), QLatin1String("''")))
                          .arg(points)
                          .arg(themeIds[i]));
    }
    bank->CommitTrans();
    bank->Close();

    QFile::remove(fixture.FilePath(QStringLiteral("STheme.cfg")));
    ReadConfig cfg;
    cfg.OpenIni(fixture.FilePath(QStringLiteral("STheme.cfg")));
    cfg.SetString(QStringLiteral("System"), QStringLiteral("ExamTime"), QString::number(examMinutes));
    cfg.SetString(QStringLiteral("System"), QStringLiteral("ThemeCount"), QString::number(themeIds.size()));
    cfg.SetString(QStringLiteral("System"), QStringLiteral("ExamPaperID"), paperId);
    cfg.CloseIni();
    ModSystem::gExamTime = static_cast<std::int16_t>(examMinutes);
}

QString Stored(const QString& plain)
{
    ClQuAK cipher;
    return QString::fromStdU16String(EncipherQuestionText(cipher, GetQuestionKey(), plain.toStdU16String()));
}

QString StudentAnswerOf(const BankFixture& fixture, int examId)
{
    auto bank = fixture.OpenBank();
    auto rs = bank->Execute(QStringLiteral("Select StudentAnswer From Exam_ThemePaper Where ExamID = %1").arg(examId));
    const Ado::Variant value = rs->Fields(0);
    return value.IsNull() ? QStringLiteral("<Null>") : value.ToString();
}

int StudentDfOf(const BankFixture& fixture, int examId)
{
    auto bank = fixture.OpenBank();
    auto rs = bank->Execute(QStringLiteral("Select StudentDf From Exam_ThemePaper Where ExamID = %1").arg(examId));
    const Ado::Variant value = rs->Fields(0);
    return value.IsNull() ? -1 : value.ToInt();
}

Form& OpenExam(int mode)
{
    ModSystem::gExamMode = mode;
    Form& exam = Forms::FrmExam();
    RunGuarded([&exam] { exam.Show(); });
    return exam;
}

class ShowCounter::Filter : public QObject {
public:
    explicit Filter(QString name) : mName(std::move(name)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow() && widget->objectName() == mName) {
            ++mCount;
        }
        return false;
    }
    int mCount = 0;

private:
    QString mName;
};

ShowCounter::ShowCounter(Form& form) : mFilter(std::make_unique<Filter>(form.Name()))
{
    QCoreApplication::instance()->installEventFilter(mFilter.get());
}

ShowCounter::~ShowCounter()
{
    QCoreApplication::instance()->removeEventFilter(mFilter.get());
}

int ShowCounter::Count() const
{
    return mFilter->mCount;
}

void RaiseTick(Form& form, const QString& timerName, int times)
{
    for (int i = 0; i < times && form.IsLoaded(); ++i) {
        auto& timer = form.Control<Timer>(timerName);
        ControlHost::Dispatch([&timer] { timer.Tick(); });
    }
}

QString Caption(Form& form, const QString& name, int index)
{
    return index < 0 ? form.Control<Label>(name).Caption() : form.Array<Label>(name, index).Caption();
}

} // namespace qkmtest
