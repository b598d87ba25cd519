#include "ModSystem.h"

#include "App.h"
#include "QuestionText.h"
#include "Recordset.h"
#include "TransactionGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace ModSystem {

namespace {

// Values from the database go into statements as quoted text; a quote inside is doubled so that a
// trade or model id with an apostrophe cannot break or change the statement.
QString SqlText(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Exam times beyond this overflow the exam screen's 16-bit seconds count (546 * 60 = 32760).
constexpr std::int32_t kMaxExamMinutes = 546;

struct PickedQuestion {
    QString ThemeID;
    QString Points;
    QString RightAnswer; // stored cipher text, copied unchanged
    double PointsValue = 0;
};

// The scoring sums the points awarded into a 16-bit score, rounded half to even, and the exam screen
// counts the paper's questions in 16 bits: a paper beyond either would overflow at hand-in.
bool PaperFitsTheScore(const std::vector<PickedQuestion>& picked)
{
    double gained = 0;
    double lost = 0;
    for (const PickedQuestion& question : picked) {
        (question.PointsValue > 0 ? gained : lost) += question.PointsValue;
    }
    return picked.size() <= 32767 && std::nearbyint(gained) <= 32767 && std::nearbyint(lost) >= -32768;
}

struct ModelInfo {
    QString ModelId;
    std::int16_t ExamTime = 0;
    QString ThemeCount;
};

// Reads the active model of the trade; false when there is none usable.
bool ReadActiveModel(ModelInfo& info)
{
    Ado::Recordset model;
    model.Open(QStringLiteral("Select * From Exam_Model Where ApplyType=") + SqlText(gApplyType) +
                   QStringLiteral(" And ModelStatus = 1"),
               *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly, Ado::adOptionUnspecified);
    if (model.Eof()) {
        return false;
    }
    // The id goes into the quota statements exactly as stored; blanks around it still make a whole number.
    info.ModelId = model.Fields(QStringLiteral("Model")).ToString();
    const Ado::Variant examTime = model.Fields(QStringLiteral("ExamTime"));
    model.Close();

    bool wholeNumber = false;
    info.ModelId.toInt(&wholeNumber);
    if (!wholeNumber || !examTime.IsNumeric()) {
        return false;
    }
    const double minutes = examTime.ToDouble();
    if (minutes < 1 || minutes > kMaxExamMinutes) {
        return false;
    }
    info.ExamTime = examTime.ToInt16();

    std::unique_ptr<Ado::Recordset> sum = gConn->Execute(
        QStringLiteral("Select Sum(SelectContent) From Exam_MContent Where Model=") + SqlText(info.ModelId));
    const Ado::Variant total = sum->Fields(0);
    if (total.IsNull()) {
        return false;
    }
    info.ThemeCount = total.ToString();
    return true;
}

// Draws the questions of one chapter and type. Positions are 1-based in the order the query returns
// the rows, and the picks keep that order. A quota at or above the number of available questions
// takes them all instead of drawing forever.
void DrawQuestions(const QString& modelId, int chapter, int type, PaperRandom& random,
                   std::vector<PickedQuestion>& picked, bool& badQuota)
{
    Ado::Recordset quota;
    quota.Open(
        QStringLiteral("Select Model,ThemeChapter,ThemeFraction,SelectContent From Exam_MContent Where [Model]=") +
            SqlText(modelId) + QStringLiteral(" And ThemeChapter=") + QString::number(chapter) +
            QStringLiteral(" And ThemeType = ") + QString::number(type),
        *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly, Ado::adOptionUnspecified);
    if (quota.Eof()) {
        return;
    }
    const Ado::Variant points = quota.Fields(QStringLiteral("ThemeFraction"));
    const Ado::Variant selectContent = quota.Fields(QStringLiteral("SelectContent"));
    if (!points.IsNumeric() || !selectContent.IsNumeric()) {
        badQuota = true;
        return;
    }
    // Read whole rather than as a 16-bit count, so that a quota beyond its range draws nothing or
    // everything like any other quota below 1 or above what is available, instead of overflowing.
    const double n = std::nearbyint(selectContent.ToDouble());
    if (n <= 0) {
        return;
    }

    Ado::Recordset questions;
    questions.Open(QStringLiteral("Select ThemeID,ThemeChapter,ThemeAnswer From Exam_Theme Where ThemeChapter = %1 "
                                  "And Themetype = %2")
                       .arg(chapter)
                       .arg(type),
                   *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly, Ado::adOptionUnspecified);
    const std::int32_t m = static_cast<std::int32_t>(questions.RecordCount());
    if (m == 0) {
        return;
    }
    std::vector<bool> marked(static_cast<std::size_t>(m) + 1, false);
    if (n >= m) {
        std::fill(marked.begin() + 1, marked.end(), true);
    } else {
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(n); ++i) {
            std::int32_t r = random.Next(m);
            while (marked[static_cast<std::size_t>(r)]) {
                r = random.Next(m);
            }
            marked[static_cast<std::size_t>(r)] = true;
        }
    }

    const QString pointsText = points.ToString();
    questions.MoveFirst();
    for (std::int32_t position = 1; !questions.Eof(); ++position, questions.MoveNext()) {
        if (marked[static_cast<std::size_t>(position)]) {
            picked.push_back(PickedQuestion{questions.Fields(QStringLiteral("ThemeID")).ToString(), pointsText,
                                            questions.Fields(QStringLiteral("ThemeAnswer")).ToString(),
                                            points.ToDouble()});
        }
    }
}

// Writes the paper's keys into a copy of STheme.cfg; the copy replaces the file only once the
// database holds the new paper. False when the copy cannot be made or written.
bool WritePaperConfig(const QString& path, const ModelInfo& info, const QString& paperId,
                      const std::vector<PickedQuestion>& picked)
{
    QFile::remove(path);
    const QString current = App::Path() + QStringLiteral("/STheme.cfg");
    if (QFile::exists(current) && !QFile::copy(current, path)) {
        return false;
    }
    ReadConfig cfg;
    cfg.OpenIni(path);
    if (!QFile::exists(path)) {
        return false;
    }
    const QString system = QStringLiteral("System");
    cfg.DelAllKeyWord(system);
    bool written = cfg.AddKeyWord(system, QStringLiteral("ExamTime"), QString::number(info.ExamTime)) &&
                   cfg.AddKeyWord(system, QStringLiteral("ThemeCount"), info.ThemeCount) &&
                   cfg.AddKeyWord(system, QStringLiteral("ExamPaperID"), paperId);

    // Numbered sections of any earlier paper go, however long it was, so none outlives its paper.
    const QStringList sections = cfg.GetAllSection().split(QChar(u'\0'), Qt::SkipEmptyParts);
    for (const QString& section : sections) {
        bool numbered = false;
        const int number = section.toInt(&numbered);
        if (numbered && number > 0) {
            cfg.DelAllKeyWord(section);
        }
    }
    for (std::size_t i = 0; written && i < picked.size(); ++i) {
        const QString section = QString::number(i + 1);
        written = cfg.AddKeyWord(section, QStringLiteral("ThemeID"), picked[i].ThemeID) &&
                  cfg.AddKeyWord(section, QStringLiteral("ThemeFraction"), picked[i].Points);
    }
    cfg.CloseIni();
    return written;
}

// Closes and releases the shared connection however the generator ends.
class ReleaseConnection {
public:
    ReleaseConnection() = default;
    ~ReleaseConnection()
    {
        try {
            CloseDatabase();
        } catch (...) {
        }
        gConn.reset();
    }
    ReleaseConnection(const ReleaseConnection&) = delete;
    ReleaseConnection& operator=(const ReleaseConnection&) = delete;
};

} // namespace

void SafeAssignString(QString& target, const QString& value)
{
    if (value.size() < 65536) {
        target = value;
    }
}

QString GetProductTitle()
{
    return App::ProductName() + QStringLiteral(" 2015");
}

QString GetVersionText()
{
    return QStringLiteral(" V%1.%2%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision());
}

QString GetSystemTitle()
{
    return GetProductTitle() + GetVersionText();
}

QString ConnectionString()
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source= ") + App::Path() +
           QStringLiteral("\\QKMExam_L.DLL;jet oledb:database password=") + QString::fromUtf16(kQuestionBankPassword) +
           QStringLiteral(";Persist Security Info=False");
}

void OpenDatabase()
{
    if (!gConn) {
        gConn = std::make_unique<Ado::Connection>();
    }
    gConn->SetCursorLocation(Ado::adUseClient);
    if (gConn->State() == Ado::adStateClosed) {
        gConn->Open(ConnectionString(), QString(), QString(), Ado::adOptionUnspecified);
    }
}

void CloseDatabase()
{
    if (!gConn) {
        gConn = std::make_unique<Ado::Connection>();
    }
    if (gConn->State() == Ado::adStateOpen) {
        gConn->Close();
        gConn.reset();
    }
}

PaperRandom PaperRandom::FromClock()
{
    return PaperRandom(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

std::int32_t PaperRandom::Next(std::int32_t m)
{
    return std::uniform_int_distribution<std::int32_t>(1, m)(mEngine);
}

QString PaperStatusText(PaperStatus status)
{
    switch (status) {
    case PaperStatus::Created:
        return QString();
    case PaperStatus::NoValidModel:
        return QStringLiteral("题库中没有该考试类型的有效考试模板，无法生成试卷！");
    case PaperStatus::NoQuestions:
        return QStringLiteral("题库中没有该考试模板所需的试题，无法生成试卷！");
    case PaperStatus::ConfigNotWritable:
        return QStringLiteral("无法写入试卷配置文件 STheme.cfg，无法生成试卷！");
    }
    return QString();
}

PaperStatus CreateExamPaper()
{
    PaperRandom random = PaperRandom::FromClock();
    return CreateExamPaper(random);
}

PaperStatus CreateExamPaper(PaperRandom& random)
{
    const QString paperId = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    ReleaseConnection release;
    OpenDatabase();

    // Everything is read and checked before anything changes, so that a trade that cannot give a
    // paper keeps the last one, which wrong-answer practice reads.
    ModelInfo info;
    if (!ReadActiveModel(info)) {
        return PaperStatus::NoValidModel;
    }
    Ado::Recordset chapters;
    chapters.Open(QStringLiteral("Select * From Exam_ThemeChapter"), *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly,
                  Ado::adOptionUnspecified);
    const long chapterCount = chapters.RecordCount();
    chapters.Close();

    // Type first, then chapter: the paper lists all true/false questions, then single, then multiple choice.
    std::vector<PickedQuestion> picked;
    bool badQuota = false;
    for (int type = 1; type <= 3; ++type) {
        for (int chapter = 1; chapter <= chapterCount; ++chapter) {
            DrawQuestions(info.ModelId, chapter, type, random, picked, badQuota);
        }
    }
    if (badQuota) {
        return PaperStatus::NoValidModel;
    }
    if (picked.empty()) {
        return PaperStatus::NoQuestions;
    }
    if (!PaperFitsTheScore(picked)) {
        return PaperStatus::NoValidModel;
    }

    const QString configPath = App::Path() + QStringLiteral("/STheme.cfg.new");
    if (!WritePaperConfig(configPath, info, paperId, picked)) {
        QFile::remove(configPath);
        return PaperStatus::ConfigNotWritable;
    }

    try {
        Ado::TransactionGuard transaction(*gConn);
        gConn->Execute(QStringLiteral("Delete From Exam_ThemePaper"));
        for (std::size_t i = 0; i < picked.size(); ++i) {
            // The paper id goes in unquoted, as a 14-digit number; the text column keeps its digits.
            gConn->Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                          "ThemeAnswer) Values (") +
                           QString::number(i + 1) + u',' + paperId + u',' + picked[i].ThemeID + u',' +
                           picked[i].Points + u',' + SqlText(picked[i].RightAnswer) + u')');
        }
        transaction.Commit();
    } catch (...) {
        QFile::remove(configPath);
        throw;
    }

    const QString configFile = App::Path() + QStringLiteral("/STheme.cfg");
    if (std::rename(QFile::encodeName(configPath).constData(), QFile::encodeName(configFile).constData()) != 0) {
        QFile::remove(configPath);
        return PaperStatus::ConfigNotWritable;
    }
    gExamPaperID = paperId;
    gExamTime = info.ExamTime;
    return PaperStatus::Created;
}

} // namespace ModSystem
