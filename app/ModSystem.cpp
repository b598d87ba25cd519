#include "ModSystem.h"

#include "App.h"
#include "PrivateProfile.h"
#include "QuestionText.h"
#include "Recordset.h"
#include "RuntimeError.h"
#include "TransactionGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <signal.h>
#include <unistd.h>
#include <utility>
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

// Seconds the shared connection waits for a lock that another program holds on the bank (its
// generation, or a question being read) before a statement fails with "database is locked".
constexpr int kLockWaitSeconds = 5;

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
bool ReadActiveModel(const QString& trade, ModelInfo& info)
{
    Ado::Recordset model;
    model.Open(QStringLiteral("Select * From Exam_Model Where ApplyType=") + SqlText(trade) +
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

// The quota rows of a model for one chapter and type; only the first counts.
void OpenQuota(Ado::Recordset& quota, const QString& modelId, int chapter, int type)
{
    quota.Open(
        QStringLiteral("Select Model,ThemeChapter,ThemeFraction,SelectContent From Exam_MContent Where [Model]=") +
            SqlText(modelId) + QStringLiteral(" And ThemeChapter=") + QString::number(chapter) +
            QStringLiteral(" And ThemeType = ") + QString::number(type),
        *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly, Ado::adOptionUnspecified);
}

// Draws the questions of one chapter and type. Positions are 1-based in the order the query returns
// the rows, and the picks keep that order. A quota at or above the number of available questions
// takes them all instead of drawing forever.
void DrawQuestions(const QString& modelId, int chapter, int type, PaperRandom& random,
                   std::vector<PickedQuestion>& picked, bool& badQuota)
{
    Ado::Recordset quota;
    OpenQuota(quota, modelId, chapter, type);
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
        // A partial shuffle: each draw is uniform over the positions not yet drawn, so n draws take
        // n steps however close n comes to m (redrawing taken positions would take about m ln m).
        std::vector<std::int32_t> positions(static_cast<std::size_t>(m));
        std::iota(positions.begin(), positions.end(), 1);
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(n); ++i) {
            const std::int32_t j = i + random.Next(m - i) - 1;
            std::swap(positions[static_cast<std::size_t>(i)], positions[static_cast<std::size_t>(j)]);
            marked[static_cast<std::size_t>(positions[static_cast<std::size_t>(i)])] = true;
        }
    }

    const QString pointsText = points.ToString();
    const double pointsValue = points.ToDouble();
    questions.MoveFirst();
    for (std::int32_t position = 1; !questions.Eof(); ++position, questions.MoveNext()) {
        if (marked[static_cast<std::size_t>(position)]) {
            picked.push_back(PickedQuestion{questions.Fields(QStringLiteral("ThemeID")).ToString(), pointsText,
                                            questions.Fields(QStringLiteral("ThemeAnswer")).ToString(), pointsValue});
        }
    }
}

// --- STheme.cfg beside the bank ---------------------------------------------------------------
//
// The bank and STheme.cfg must name the same paper. STheme.cfg is replaced only while the bank's
// write lock is held, between a generation's changes and their commit, so whichever program
// commits last has also replaced the file last. A program that ends between the two leaves the
// file it replaced beside it, which RepairPaperConfig puts back.

QString ConfigPath()
{
    return App::Path() + QStringLiteral("/STheme.cfg");
}

// Scratch files carry the id of the process that writes them, so that no program renames or
// deletes another's: "STheme.cfg.new-<pid>" holds the file about to replace STheme.cfg,
// "STheme.cfg.old-<pid>" the file it replaced until the bank has committed.
QString ScratchPath(const char* kind)
{
    return ConfigPath() + QLatin1Char('.') + QLatin1String(kind) + QLatin1Char('-') + QString::number(::getpid());
}

QStringList ScratchPatterns()
{
    return {QStringLiteral("STheme.cfg.new-*"), QStringLiteral("STheme.cfg.old-*")};
}

bool ProcessIsAlive(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

// Scratch files of programs that ended between two steps, once nothing needs them: under the bank's
// write lock with STheme.cfg naming the bank's paper. A running program's are left alone.
void RemoveStaleScratchFiles()
{
    const QDir dir(App::Path());
    for (const QString& name : dir.entryList(ScratchPatterns(), QDir::Files | QDir::Hidden)) {
        bool numeric = false;
        const qint64 pid = name.mid(name.lastIndexOf(QLatin1Char('-')) + 1).toLongLong(&numeric);
        if (numeric && (pid == ::getpid() || !ProcessIsAlive(pid))) {
            QFile::remove(dir.filePath(name));
        }
    }
}

// Written through to the disk, so that a file renamed into place afterwards is whole.
bool WriteSynced(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!written) {
        QFile::remove(path);
    }
    return written;
}

// Replaces `to` by `from` in one step: a reader sees the old file or the new one, never a mix.
bool ReplaceFile(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Keeps STheme.cfg as it is under another name (an empty file when there is none), to be put back
// should the bank not commit the paper that replaces it.
bool KeepConfig(const QString& config, const QString& kept)
{
    QFile::remove(kept);
    if (!QFileInfo::exists(config)) {
        return WriteSynced(kept, QByteArray());
    }
    return ::link(QFile::encodeName(config).constData(), QFile::encodeName(kept).constData()) == 0 ||
           QFile::copy(config, kept);
}

// Removes the generation's scratch files however it ends, except one that must stay for repair.
class ScratchFiles {
public:
    ScratchFiles() : mNew(ScratchPath("new")), mOld(ScratchPath("old")) {}
    ~ScratchFiles()
    {
        QFile::remove(mNew);
        if (!mKeepOld) {
            QFile::remove(mOld);
        }
    }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

    const QString& New() const { return mNew; }
    const QString& Old() const { return mOld; }
    void KeepOld() { mKeepOld = true; }

private:
    QString mNew;
    QString mOld;
    bool mKeepOld = false;
};

struct PaperEntry {
    QString ThemeID;
    QString Points;
};

// What STheme.cfg says of one paper; no paper at all when PaperId is empty.
struct PaperConfig {
    QString ExamTime;
    QString ThemeCount;
    QString PaperId;
    std::vector<PaperEntry> Entries; // sections [1] to [n]
};

bool IsNumberedSection(const QString& name)
{
    bool numbered = false;
    const int number = name.toInt(&numbered);
    return numbered && number > 0;
}

// STheme.cfg with the paper in place of any earlier one, built in memory from the current file so
// that it is written once: other sections stay as they are, then [System] with ExamTime, ThemeCount
// and ExamPaperID and the sections [1] to [n] with ThemeID and ThemeFraction follow, as deleting
// them and adding the keys one by one would leave the file. Numbered sections of an earlier paper go
// however long it was.
QByteArray PaperConfigBytes(Profile::ProfileDocument document, const PaperConfig& paper)
{
    document.DeleteSections([](const QString& name) {
        return name.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0 || IsNumberedSection(name);
    });
    if (!paper.PaperId.isEmpty()) {
        document.AppendSection(QStringLiteral("System"), {{QStringLiteral("ExamTime"), paper.ExamTime},
                                                          {QStringLiteral("ThemeCount"), paper.ThemeCount},
                                                          {QStringLiteral("ExamPaperID"), paper.PaperId}});
        for (std::size_t i = 0; i < paper.Entries.size(); ++i) {
            document.AppendSection(QString::number(i + 1),
                                   {{QStringLiteral("ThemeID"), paper.Entries[i].ThemeID},
                                    {QStringLiteral("ThemeFraction"), paper.Entries[i].Points}});
        }
    }
    return document.Bytes();
}

// A row of Exam_ThemePaper as STheme.cfg repeats it.
struct PaperRow {
    long ExamID = 0;
    QString PaperId;
    Ado::Variant ThemeID;
    Ado::Variant Points;
};

std::vector<PaperRow> ReadPaper()
{
    Ado::Recordset paper;
    paper.Open(QStringLiteral("Select * From Exam_ThemePaper Order By ExamID"), *gConn, Ado::adOpenKeyset,
               Ado::adLockReadOnly, Ado::adOptionUnspecified);
    std::vector<PaperRow> rows;
    rows.reserve(static_cast<std::size_t>(paper.RecordCount()));
    for (; !paper.Eof(); paper.MoveNext()) {
        rows.push_back(PaperRow{
            paper.Fields(QStringLiteral("ExamID")).ToInt(), paper.Fields(QStringLiteral("ExamPaperID")).ToString(),
            paper.Fields(QStringLiteral("ThemeID")), paper.Fields(QStringLiteral("ThemeFraction"))});
    }
    return rows;
}

// A paper as the generator writes it: places 1 to n, one paper id.
bool IsWholePaper(const std::vector<PaperRow>& paper)
{
    for (std::size_t i = 0; i < paper.size(); ++i) {
        if (paper[i].ExamID != static_cast<long>(i + 1) || paper[i].PaperId != paper.front().PaperId) {
            return false;
        }
    }
    return true;
}

bool SameNumber(const std::optional<QString>& text, const Ado::Variant& value)
{
    bool numeric = false;
    const double number = text ? text->toDouble(&numeric) : 0;
    return numeric && value.IsNumeric() && number == value.ToDouble();
}

// Whether the file names exactly this paper: its id, a usable exam time, and each place's question
// and points; a file for no paper names none.
bool ConfigNamesPaper(const Profile::ProfileDocument& cfg, const std::vector<PaperRow>& paper)
{
    const QString system = QStringLiteral("System");
    const std::optional<QString> paperId = cfg.Value(system, QStringLiteral("ExamPaperID"));
    if (paper.empty()) {
        return !paperId || paperId->isEmpty();
    }
    if (paperId != paper.front().PaperId) {
        return false;
    }
    bool whole = false;
    const int minutes = cfg.Value(system, QStringLiteral("ExamTime")).value_or(QString()).toInt(&whole);
    if (!whole || minutes < 1 || minutes > kMaxExamMinutes) {
        return false;
    }
    for (std::size_t i = 0; i < paper.size(); ++i) {
        const QString section = QString::number(i + 1);
        if (!SameNumber(cfg.Value(section, QStringLiteral("ThemeID")), paper[i].ThemeID) ||
            !SameNumber(cfg.Value(section, QStringLiteral("ThemeFraction")), paper[i].Points)) {
            return false;
        }
    }
    const QStringList sections = cfg.SectionNames();
    return std::count_if(sections.cbegin(), sections.cend(), IsNumberedSection) == static_cast<qsizetype>(paper.size());
}

// Puts back a scratch file that names the bank's paper: the file a program replaced before it
// ended without committing, or the one it was about to put in place after committing.
bool PutBackScratchNamingPaper(const std::vector<PaperRow>& paper, const QString& config)
{
    const QDir dir(App::Path());
    for (const QString& name : dir.entryList(ScratchPatterns(), QDir::Files | QDir::Hidden, QDir::Time)) {
        const QString path = dir.filePath(name);
        if (ConfigNamesPaper(Profile::ProfileDocument(path), paper) && ReplaceFile(path, config)) {
            return true;
        }
    }
    return false;
}

// The active model whose quotas drew this paper: every chapter and type on it carries the points of
// that model's first quota row of the chapter and type, and no more questions than it asks for. The
// trade being practised is tried first, then the program's two trades.
bool ModelOfPaper(const std::vector<PaperRow>& paper, ModelInfo& found)
{
    struct Group {
        std::size_t Count = 0;
        double Points = 0;
    };
    std::map<std::pair<int, int>, Group> groups; // (chapter, type)
    Ado::Recordset joined;
    joined.Open(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_Theme.ThemeID] = "
                               "[Exam_ThemePaper.ThemeID] Order By [Exam_ThemePaper.ExamID]"),
                *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly, Ado::adOptionUnspecified);
    if (joined.RecordCount() != static_cast<long>(paper.size())) {
        return false; // the bank no longer holds every question of the paper
    }
    for (; !joined.Eof(); joined.MoveNext()) {
        Group& group = groups[{joined.Fields(QStringLiteral("ThemeChapter")).ToInt(),
                               joined.Fields(QStringLiteral("ThemeType")).ToInt()}];
        const double points = joined.Fields(QStringLiteral("ThemeFraction")).ToDouble();
        if (group.Count++ > 0 && points != group.Points) {
            return false;
        }
        group.Points = points;
    }

    QStringList trades = {gApplyType, QString::fromUtf16(TradeSheetMetal), QString::fromUtf16(TradePainting)};
    trades.removeDuplicates();
    for (const QString& trade : trades) {
        ModelInfo info;
        if (trade.isEmpty() || !ReadActiveModel(trade, info)) {
            continue;
        }
        bool fits = true;
        for (auto it = groups.cbegin(); fits && it != groups.cend(); ++it) {
            Ado::Recordset quota;
            OpenQuota(quota, info.ModelId, it->first.first, it->first.second);
            fits = !quota.Eof() && quota.Fields(QStringLiteral("ThemeFraction")).IsNumeric() &&
                   quota.Fields(QStringLiteral("ThemeFraction")).ToDouble() == it->second.Points &&
                   static_cast<double>(it->second.Count) <=
                       std::nearbyint(quota.Fields(QStringLiteral("SelectContent")).ToDouble());
        }
        if (fits) {
            found = info;
            return true;
        }
    }
    return false;
}

// Writes STheme.cfg afresh from the bank's paper, the exam time from the model that drew it (or,
// when the bank no longer has that model, from the file). False when neither gives one.
bool RewriteConfig(Profile::ProfileDocument current, const std::vector<PaperRow>& paper, const QString& config)
{
    PaperConfig content;
    if (!paper.empty()) {
        if (!IsWholePaper(paper)) {
            return false;
        }
        // The exam time the file gives for this very paper is the one it was generated with (its
        // model may have changed since); only a file that names another paper, or none, takes the
        // time of the model that fits the paper.
        const QString system = QStringLiteral("System");
        bool whole = false;
        const int minutes = current.Value(system, QStringLiteral("ExamTime")).value_or(QString()).toInt(&whole);
        const bool fileTimeUsable = whole && minutes >= 1 && minutes <= kMaxExamMinutes;
        const bool sameId = current.Value(system, QStringLiteral("ExamPaperID")) == paper.front().PaperId;
        ModelInfo model;
        if (fileTimeUsable && sameId) {
            content.ExamTime = QString::number(minutes);
            content.ThemeCount =
                current.Value(system, QStringLiteral("ThemeCount")).value_or(QString::number(paper.size()));
        } else if (ModelOfPaper(paper, model)) {
            content.ExamTime = QString::number(model.ExamTime);
            content.ThemeCount = model.ThemeCount;
        } else if (fileTimeUsable) {
            content.ExamTime = QString::number(minutes);
            content.ThemeCount =
                current.Value(system, QStringLiteral("ThemeCount")).value_or(QString::number(paper.size()));
        } else {
            return false;
        }
        content.PaperId = paper.front().PaperId;
        for (const PaperRow& row : paper) {
            content.Entries.push_back(PaperEntry{row.ThemeID.ToString(), row.Points.ToString()});
        }
    }
    ScratchFiles scratch;
    return WriteSynced(scratch.New(), PaperConfigBytes(std::move(current), content)) &&
           ReplaceFile(scratch.New(), config);
}

void Step(PaperStep step)
{
    if (gPaperStepHook) {
        gPaperStepHook(step);
    }
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
    gConn->SetCommandTimeout(kLockWaitSeconds);
    if (gConn->State() == Ado::adStateClosed) {
        // The engine opens an empty file as an empty database, and the first statement would then
        // fail on a missing table without naming the file; what is wrong, and with which file, is
        // said here instead.
        const QFileInfo bank(App::Path() + QStringLiteral("/QKMExam_L.DLL"));
        if (bank.isFile() && bank.size() == 0) {
            throw RuntimeError(Ado::ProviderError,
                               QStringLiteral("file is empty, not a question bank: ") + bank.filePath());
        }
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
    if (!ReadActiveModel(gApplyType, info)) {
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

    PaperConfig content{QString::number(info.ExamTime), info.ThemeCount, paperId, {}};
    content.Entries.reserve(picked.size());
    for (const PickedQuestion& question : picked) {
        content.Entries.push_back(PaperEntry{question.ThemeID, question.Points});
    }
    const QString config = ConfigPath();
    ScratchFiles scratch;
    {
        // Taking the bank's write lock waits for another program's generation to commit; STheme.cfg is
        // replaced under the lock, after the new paper's rows and before their commit.
        Ado::TransactionGuard transaction(*gConn);
        gConn->Execute(QStringLiteral("Delete From Exam_ThemePaper"));
        for (std::size_t i = 0; i < picked.size(); ++i) {
            // The paper id goes in unquoted, as a 14-digit number; the text column keeps its digits.
            gConn->Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                          "ThemeAnswer) Values (") +
                           QString::number(i + 1) + u',' + paperId + u',' + picked[i].ThemeID + u',' +
                           picked[i].Points + u',' + SqlText(picked[i].RightAnswer) + u')');
        }
        // Until the commit, a failure rolls the rows back and leaves STheme.cfg as it was.
        if (!WriteSynced(scratch.New(), PaperConfigBytes(Profile::ProfileDocument(config), content)) ||
            !KeepConfig(config, scratch.Old())) {
            return PaperStatus::ConfigNotWritable;
        }
        Step(PaperStep::ConfigWritten);
        if (!ReplaceFile(scratch.New(), config)) {
            return PaperStatus::ConfigNotWritable;
        }
        try {
            Step(PaperStep::ConfigReplaced);
            transaction.Commit();
        } catch (...) {
            // The bank keeps the earlier paper, so STheme.cfg gets its file back; should that fail
            // too, the kept file stays for RepairPaperConfig.
            if (!ReplaceFile(scratch.Old(), config)) {
                scratch.KeepOld();
            }
            throw;
        }
    }
    Step(PaperStep::Committed);
    gExamPaperID = paperId;
    gExamTime = info.ExamTime;
    return PaperStatus::Created;
}

bool RepairPaperConfig()
{
    OpenDatabase();
    // Under the bank's write lock no generator stands between replacing STheme.cfg and committing
    // its paper, and none starts until the two have been compared and mended.
    Ado::TransactionGuard lock(*gConn);
    const std::vector<PaperRow> paper = ReadPaper();
    const QString config = ConfigPath();
    Profile::ProfileDocument current(config);
    const bool named = ConfigNamesPaper(current, paper) || PutBackScratchNamingPaper(paper, config) ||
                       RewriteConfig(std::move(current), paper, config);
    if (named) {
        RemoveStaleScratchFiles();
    }
    return named;
}

} // namespace ModSystem
