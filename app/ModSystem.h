#pragma once

#include "Connection.h"
#include "ReadConfig.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>

// The state that crosses forms, the shared database connection, the system title texts and the
// mock-exam paper generator. One thread reads and writes the variables directly.
namespace ModSystem {

// What the next or current exam screen runs (held in gExamMode).
enum ExamMode : std::int32_t {
    ModeNone = 0,
    ModeMockExam = 1,
    ModeChapterPractice = 2,
    ModeWrongPractice = 3,
    ModeSequentialPractice = 4,
};

// Trade texts; also the key of Exam_Model.ApplyType, so they must match the bank character for character.
inline constexpr char16_t TradeNone[] = u"无";
inline constexpr char16_t TradeSheetMetal[] = u"钣金（车身修复）技术人员";
inline constexpr char16_t TradePainting[] = u"涂漆（车身涂装）技术人员";

// The chapter condition set with each trade (gChapterFilter): sheet metal chapters 1 and 2, painting 1 and 3.
inline constexpr char16_t ChapterFilterSheetMetal[] = u"ThemeChapter > 0 And ThemeChapter < 3";
inline constexpr char16_t ChapterFilterPainting[] = u"ThemeChapter = 1 Or ThemeChapter = 3";

inline std::int32_t gExamMode = ModeNone;
inline QString gApplyType;
inline std::int16_t gChapter = 0;
inline QString gChapterFilter;
inline QString gExamPaperID;       // "yyyymmddhhnnss"
inline std::int16_t gExamTime = 0; // minutes
inline std::unique_ptr<Ado::Connection> gConn;
inline std::unique_ptr<ReadConfig> gSysIni;
// Twips, 32 bits wide: a display beyond 2184 pixels would overflow 16.
inline std::int32_t gScreenWidth = 0;
inline std::int32_t gScreenHeight = 0;
inline QString gDealerLine;
inline QString gTitleSuffix;
inline std::int16_t gThemeCount = 0;
inline std::int16_t gSecondsLeft = 0;
inline QString gTimeUsed; // "nn:ss"
inline std::int16_t gScore = 0;
inline bool gAnswering = false;
inline std::int32_t gHandCursor = 0;

// Assigns value to target when it is shorter than 65536 characters; otherwise target keeps its value.
void SafeAssignString(QString& target, const QString& value);

// Product title, a blank and 2015.
QString GetProductTitle();
// A blank, "V", major, ".", minor and revision run together: 1.4.7 gives " V1.47".
QString GetVersionText();
QString GetSystemTitle();

// The three distributor lines that System.ini [CompanyInfo] Company selects (2, 3, 5); empty for
// any other value.
QString DealerLine(std::int32_t company);
// Reads [CompanyInfo] Company from System.ini (made empty when missing) into gDealerLine and
// gTitleSuffix ("-", two blanks, the line).
void LoadCompanyInfo();
// Stores the screen size in gScreenWidth and gScreenHeight. A screen below 1024 x 768 pixels is
// switched to 1024 x 768 after the candidate agrees; any other answer ends the program at once.
void CheckScreenResolution();
// A temporary switch of the display mode, put back when the program ends; returns the platform's
// DISP_CHANGE code.
std::int32_t ChangeDisplayMode(std::int32_t width, std::int32_t height, std::int16_t bitsPerPixel,
                               std::int32_t frequency);

// The connection string of the question bank in the program's folder.
QString ConnectionString();

// Creates gConn when there is none, sets client-side cursors and opens it when it is closed.
// An open connection is left as it is. Raises RuntimeError when the bank cannot be opened.
void OpenDatabase();
// Closes an open gConn and releases it; a closed one is kept, and a missing one is created closed.
void CloseDatabase();

// The random draws of the paper generator: uniform whole numbers 1 to m. Seeded explicitly where
// a paper must be reproducible, from the clock otherwise.
class PaperRandom {
public:
    explicit PaperRandom(std::uint64_t seed) : mEngine(seed) {}
    static PaperRandom FromClock();
    std::int32_t Next(std::int32_t m);

private:
    std::mt19937_64 mEngine;
};

enum class PaperStatus {
    Created,
    NoValidModel,      // no active model of the trade, a model id that is no whole number, no quotas,
                       // an exam time outside 1 to 546 minutes, or points beyond the 16-bit score
    NoQuestions,       // the quotas find no question in the bank
    ConfigNotWritable, // STheme.cfg could not be written
};

// The text the main menu shows in a message box titled "提示" when generation failed.
QString PaperStatusText(PaperStatus status);

// Generates the paper of a new mock exam for gApplyType: Exam_ThemePaper and STheme.cfg are
// replaced, gExamPaperID and gExamTime set. When generation cannot proceed, nothing is changed and
// the status says why. gConn is released in every case. Database errors raise RuntimeError, and
// the earlier paper stays whole. Another program generating at the same time is waited for (up to
// a few seconds); whichever commits last, the bank and STheme.cfg both name its paper.
PaperStatus CreateExamPaper(PaperRandom& random);
PaperStatus CreateExamPaper();

// Mends STheme.cfg when it does not name the paper that Exam_ThemePaper holds, as a program that
// ended between replacing the one and committing the other leaves them: the file it replaced is
// put back, or the file is written afresh from the bank's paper with the exam time of the model
// that drew it; scratch files that such programs left are removed.
// Call it in the exam screen's load, in mock-exam mode, after gConn has been reopened and before
// [System] ExamPaperID and ExamTime are read; it opens gConn when it is closed and leaves it open.
// True when STheme.cfg names the bank's paper afterwards (also when nothing needed mending); false
// when the bank holds no whole paper or no exam time is to be found, and the file is then left as
// it was. Waits, like the generator, for another program's generation. Database errors raise
// RuntimeError.
bool RepairPaperConfig();

// Points of CreateExamPaper at which the tests inject faults: the hook, when set, runs at each and
// may throw (the step fails) or end the process (a crash there). The program never sets it.
enum class PaperStep {
    ConfigWritten,  // the new rows not committed; the new STheme.cfg and a copy of the old written beside it
    ConfigReplaced, // STheme.cfg replaced; the new rows not yet committed
    Committed,      // committed; the copy of the old STheme.cfg not yet removed
};
inline std::function<void(PaperStep)> gPaperStepHook;

} // namespace ModSystem
