// The mock-exam paper generator: order, numbering and points of the paper, STheme.cfg, the edge
// cases of quotas, and that a trade without a usable model or a failing write keeps the last paper.
#include "BankFixture.h"

#include "ModSystem.h"
#include "ReadConfig.h"
#include "Recordset.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using namespace ModSystem;

struct PaperRow {
    int ExamID;
    int ThemeID;
    int Chapter;
    int Type;
    int Points;
    QString PaperId;
    bool SameAnswerAsQuestion;

    bool operator==(const PaperRow&) const = default;
};

// The [System] keys and every section name of an ini file, in file order.
QStringList SectionKeys(const QString& path, const QString& section)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList keys;
    bool inSection = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(u'[')) {
            inSection = line == u'[' + section + u']';
        } else if (inSection && line.contains(u'=')) {
            keys << line.section(u'=', 0, 0);
        }
    }
    return keys;
}

class PaperGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFixture.BuildFromData();
        gApplyType = QString::fromUtf16(TradeSheetMetal);
        gExamPaperID.clear();
        gExamTime = 0;
    }

    std::vector<PaperRow> Paper() const
    {
        auto bank = mFixture.OpenBank();
        auto rs = bank->Execute(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_Theme.ThemeID] = "
                                               "[Exam_ThemePaper.ThemeID] Order By [Exam_ThemePaper.ExamID]"));
        std::vector<PaperRow> rows;
        for (; !rs->Eof(); rs->MoveNext()) {
            rows.push_back(PaperRow{
                rs->Fields(QStringLiteral("ExamID")).ToInt(), rs->Fields(QStringLiteral("Exam_Theme.ThemeID")).ToInt(),
                rs->Fields(QStringLiteral("ThemeChapter")).ToInt(), rs->Fields(QStringLiteral("ThemeType")).ToInt(),
                rs->Fields(QStringLiteral("Exam_ThemePaper.ThemeFraction")).ToInt(),
                rs->Fields(QStringLiteral("ExamPaperID")).ToString(),
                rs->Fields(QStringLiteral("Exam_Theme.ThemeAnswer")) ==
                    rs->Fields(QStringLiteral("Exam_ThemePaper.ThemeAnswer"))});
        }
        return rows;
    }

    long PaperRowCount() const
    {
        return mFixture.OpenBank()->Execute(QStringLiteral("Select * From Exam_ThemePaper"))->RecordCount();
    }

    QString ConfigPath() const { return mFixture.FilePath(QStringLiteral("STheme.cfg")); }

    QByteArray ConfigBytes() const
    {
        QFile file(ConfigPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    qkmtest::BankFixture mFixture;
};

TEST_F(PaperGeneratorTest, PaperListsTypesThenChaptersNumberedFromOne)
{
    PaperRandom random(7);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    EXPECT_EQ(gConn, nullptr);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{14}$")).match(gExamPaperID).hasMatch())
        << gExamPaperID.toStdString();
    EXPECT_EQ(gExamTime, 60);

    const std::vector<PaperRow> paper = Paper();
    ASSERT_EQ(paper.size(), 15u);
    int previousTheme = 0;
    for (int i = 0; i < 15; ++i) {
        const PaperRow& row = paper[i];
        EXPECT_EQ(row.ExamID, i + 1);
        EXPECT_EQ(row.PaperId, gExamPaperID);
        EXPECT_TRUE(row.SameAnswerAsQuestion);
        if (i < 10) {
            EXPECT_EQ(std::make_tuple(row.Chapter, row.Type, row.Points), std::make_tuple(1, 1, 2));
        } else {
            EXPECT_EQ(std::make_tuple(row.Chapter, row.Type, row.Points), std::make_tuple(2, 3, 4));
        }
        // Within a chapter and type the paper keeps the order of the question query, not the draw.
        if (i != 10) {
            EXPECT_GT(row.ThemeID, previousTheme);
        }
        previousTheme = row.ThemeID;
    }

    EXPECT_EQ(SectionKeys(ConfigPath(), QStringLiteral("System")),
              (QStringList{QStringLiteral("ExamTime"), QStringLiteral("ThemeCount"), QStringLiteral("ExamPaperID")}));
    ReadConfig cfg;
    cfg.OpenIni(ConfigPath());
    EXPECT_EQ(cfg.GetString(QStringLiteral("System"), QStringLiteral("ExamTime"), QString()), QStringLiteral("60"));
    EXPECT_EQ(cfg.GetString(QStringLiteral("System"), QStringLiteral("ThemeCount"), QString()), QStringLiteral("15"));
    EXPECT_EQ(cfg.GetString(QStringLiteral("System"), QStringLiteral("ExamPaperID"), QString()), gExamPaperID);
    EXPECT_EQ(SectionKeys(ConfigPath(), QStringLiteral("15")),
              (QStringList{QStringLiteral("ThemeID"), QStringLiteral("ThemeFraction")}));
    EXPECT_EQ(cfg.GetLong(QStringLiteral("11"), QStringLiteral("ThemeID"), 0), paper[10].ThemeID);
    EXPECT_EQ(cfg.GetString(QStringLiteral("11"), QStringLiteral("ThemeFraction"), QString()), QStringLiteral("4"));
    EXPECT_FALSE(QFile::exists(ConfigPath() + QStringLiteral(".new")));
}

TEST_F(PaperGeneratorTest, DrawsAreReproducibleBySeedAndDistinct)
{
    PaperRandom first(11);
    ASSERT_EQ(CreateExamPaper(first), PaperStatus::Created);
    const std::vector<PaperRow> a = Paper();
    PaperRandom again(11);
    ASSERT_EQ(CreateExamPaper(again), PaperStatus::Created);
    const std::vector<PaperRow> b = Paper();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].ThemeID, b[i].ThemeID);
    }

    // Ten of twelve true/false questions: over many seeds every one of them is drawn and left out.
    std::set<int> drawn;
    std::set<int> leftOut;
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        PaperRandom random(seed * 7919);
        ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
        std::set<int> paper;
        for (const PaperRow& row : Paper()) {
            EXPECT_TRUE(paper.insert(row.ThemeID).second) << "question drawn twice: " << row.ThemeID;
        }
        for (int theme = 101; theme <= 112; ++theme) {
            (paper.count(theme) != 0 ? drawn : leftOut).insert(theme);
        }
    }
    EXPECT_EQ(drawn.size(), 12u);
    EXPECT_GE(leftOut.size(), 6u);
}

TEST_F(PaperGeneratorTest, QuotasAtOrAboveWhatIsAvailableTakeEveryQuestion)
{
    gApplyType = QString::fromUtf16(TradePainting);
    PaperRandom random(3);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    EXPECT_EQ(gExamTime, 90);

    // Type 1: all four of chapter 3 although fifty were asked; type 2: all three of chapter 1 in query
    // order with the first quota row's points; the quota of chapter 2 type 2 finds no question.
    const std::vector<PaperRow> expected = {
        {1, 122, 3, 1, 1, gExamPaperID, true}, {2, 123, 3, 1, 1, gExamPaperID, true},
        {3, 124, 3, 1, 1, gExamPaperID, true}, {4, 125, 3, 1, 1, gExamPaperID, true},
        {5, 113, 1, 2, 3, gExamPaperID, true}, {6, 114, 1, 2, 3, gExamPaperID, true},
        {7, 115, 1, 2, 3, gExamPaperID, true},
    };
    EXPECT_EQ(Paper(), expected);
    ReadConfig cfg;
    cfg.OpenIni(ConfigPath());
    // ThemeCount is the sum of the model's quotas, not the length of the paper.
    EXPECT_EQ(cfg.GetString(QStringLiteral("System"), QStringLiteral("ThemeCount"), QString()), QStringLiteral("56"));
}

TEST_F(PaperGeneratorTest, QuotaBeyondSixteenBitsTakesEverythingOrNothing)
{
    const auto setQuota = [this](const char* count) {
        mFixture.OpenBank()->Execute(QStringLiteral("Update Exam_MContent Set SelectContent = ") +
                                     QLatin1String(count) +
                                     QStringLiteral(" Where Model='1' And ThemeChapter=1 And ThemeType=1"));
    };
    setQuota("40000");
    PaperRandom random(4);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    std::vector<PaperRow> paper = Paper();
    ASSERT_EQ(paper.size(), 17u) << "all twelve true/false questions, then the five multiple-choice ones";
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(paper[i].ThemeID, 101 + i);
    }

    setQuota("-40000");
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    paper = Paper();
    ASSERT_EQ(paper.size(), 5u);
    EXPECT_EQ(paper[0].Type, 3);
}

TEST_F(PaperGeneratorTest, ModelIdIsMatchedAsStored)
{
    // An id with blanks around it is still a whole number, and its quotas are the rows holding the same text.
    auto bank = mFixture.OpenBank();
    bank->Execute(QStringLiteral("Update Exam_Model Set Model=' 1 ' Where Model='1'"));
    bank->Execute(QStringLiteral("Update Exam_MContent Set Model=' 1 ' Where Model='1'"));
    bank.reset();
    PaperRandom random(6);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    EXPECT_EQ(Paper().size(), 15u);
}

TEST_F(PaperGeneratorTest, TradeWithApostropheFindsItsModel)
{
    gApplyType = QStringLiteral("测试'工种");
    PaperRandom random(5);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    EXPECT_EQ(Paper().size(), 2u);
    EXPECT_EQ(gExamTime, 45);
}

TEST_F(PaperGeneratorTest, TradeWithoutUsableModelKeepsTheLastPaper)
{
    PaperRandom random(9);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    const std::vector<PaperRow> before = Paper();
    const QByteArray configBefore = ConfigBytes();
    const QString paperId = gExamPaperID;

    const struct {
        const char16_t* trade;
        PaperStatus status;
    } cases[] = {
        {u"停用工种", PaperStatus::NoValidModel},   {u"没有的工种", PaperStatus::NoValidModel},
        {u"坏编号工种", PaperStatus::NoValidModel}, {u"无配额工种", PaperStatus::NoValidModel},
        {u"超时工种", PaperStatus::NoValidModel},   {u"无试题工种", PaperStatus::NoQuestions},
    };
    for (const auto& c : cases) {
        gApplyType = QString::fromUtf16(c.trade);
        PaperRandom again(10);
        EXPECT_EQ(CreateExamPaper(again), c.status) << gApplyType.toStdString();
        EXPECT_EQ(gConn, nullptr);
        EXPECT_EQ(Paper(), before);
        EXPECT_EQ(ConfigBytes(), configBefore);
        EXPECT_EQ(gExamPaperID, paperId);
        EXPECT_EQ(gExamTime, 60);
    }

    // Ten true/false questions of 3277 points each: a perfect paper would not fit the 16-bit score.
    mFixture.OpenBank()->Execute(
        QStringLiteral("Update Exam_MContent Set ThemeFraction = 3277 Where Model='1' And ThemeType=1"));
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    PaperRandom tooRich(12);
    EXPECT_EQ(CreateExamPaper(tooRich), PaperStatus::NoValidModel);
    EXPECT_EQ(Paper(), before);
    EXPECT_EQ(ConfigBytes(), configBefore);
    mFixture.OpenBank()->Execute(
        QStringLiteral("Update Exam_MContent Set ThemeFraction = -3277 Where Model='1' And ThemeType=1"));
    EXPECT_EQ(CreateExamPaper(tooRich), PaperStatus::NoValidModel) << "nor would a paper of losses";
    mFixture.OpenBank()->Execute(
        QStringLiteral("Update Exam_MContent Set ThemeFraction = 3274.7 Where Model='1' And ThemeType=1"));
    EXPECT_EQ(CreateExamPaper(tooRich), PaperStatus::Created) << "32747 + 5 * 4 points fit";

    EXPECT_EQ(PaperStatusText(PaperStatus::NoValidModel),
              QStringLiteral("题库中没有该考试类型的有效考试模板，无法生成试卷！"));
    EXPECT_FALSE(PaperStatusText(PaperStatus::NoQuestions).isEmpty());
}

TEST_F(PaperGeneratorTest, FailedInsertRollsBackToTheLastPaper)
{
    PaperRandom random(9);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    const std::vector<PaperRow> before = Paper();
    const QByteArray configBefore = ConfigBytes();

    mFixture.OpenBank()->Execute(QStringLiteral("CREATE TRIGGER FailThird BEFORE INSERT ON Exam_ThemePaper "
                                                "WHEN NEW.ExamID = 3 BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    PaperRandom again(10);
    EXPECT_THROW(CreateExamPaper(again), RuntimeError);
    EXPECT_EQ(gConn, nullptr);
    EXPECT_EQ(Paper(), before);
    EXPECT_EQ(ConfigBytes(), configBefore);
    EXPECT_EQ(QDir(mFixture.Dir()).entryList(QDir::Files),
              (QStringList{QStringLiteral("QKMExam_L.DLL"), QStringLiteral("STheme.cfg")}));
}

TEST_F(PaperGeneratorTest, EarlierConfigKeysAndNumberedSectionsAreReplaced)
{
    QFile cfgFile(ConfigPath());
    ASSERT_TRUE(cfgFile.open(QIODevice::WriteOnly));
    cfgFile.write("[System]\r\nExamPaperID=1\r\nExamTime=5\r\nOther=x\r\n[40]\r\nThemeID=999\r\nThemeFraction=9\r\n"
                  "[2]\r\nThemeID=998\r\n[Keep]\r\nA=1\r\n");
    cfgFile.close();

    const QString replayed = mFixture.FilePath(QStringLiteral("Replayed.cfg"));
    ASSERT_TRUE(QFile::copy(ConfigPath(), replayed));

    PaperRandom random(1);
    ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
    // Written in one go, the file holds what deleting the sections and adding the keys one by one
    // through ReadConfig leaves.
    ReadConfig replay;
    replay.OpenIni(replayed);
    replay.DelAllKeyWord(QStringLiteral("System"));
    replay.AddKeyWord(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("60"));
    replay.AddKeyWord(QStringLiteral("System"), QStringLiteral("ThemeCount"), QStringLiteral("15"));
    replay.AddKeyWord(QStringLiteral("System"), QStringLiteral("ExamPaperID"), gExamPaperID);
    replay.DelAllKeyWord(QStringLiteral("40"));
    replay.DelAllKeyWord(QStringLiteral("2"));
    const std::vector<PaperRow> paper = Paper();
    for (const PaperRow& row : paper) {
        replay.AddKeyWord(QString::number(row.ExamID), QStringLiteral("ThemeID"), QString::number(row.ThemeID));
        replay.AddKeyWord(QString::number(row.ExamID), QStringLiteral("ThemeFraction"), QString::number(row.Points));
    }
    QFile replayedFile(replayed);
    ASSERT_TRUE(replayedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(ConfigBytes(), replayedFile.readAll());

    EXPECT_EQ(SectionKeys(ConfigPath(), QStringLiteral("System")),
              (QStringList{QStringLiteral("ExamTime"), QStringLiteral("ThemeCount"), QStringLiteral("ExamPaperID")}));
    ReadConfig cfg;
    cfg.OpenIni(ConfigPath());
    EXPECT_EQ(cfg.GetLong(QStringLiteral("40"), QStringLiteral("ThemeID"), -1), -1);
    EXPECT_EQ(cfg.GetLong(QStringLiteral("2"), QStringLiteral("ThemeID"), -1), Paper()[1].ThemeID);
    EXPECT_EQ(cfg.GetLong(QStringLiteral("Keep"), QStringLiteral("A"), 0), 1);
}

TEST(PaperRandomTest, DrawsCoverOneToM)
{
    PaperRandom random(42);
    std::vector<int> hits(8, 0);
    for (int i = 0; i < 7000; ++i) {
        const int r = random.Next(7);
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 7);
        ++hits[r];
    }
    for (int r = 1; r <= 7; ++r) {
        EXPECT_GT(hits[r], 800) << r;
        EXPECT_LT(hits[r], 1200) << r;
    }
    EXPECT_EQ(PaperRandom(3).Next(1), 1);
}

} // namespace
