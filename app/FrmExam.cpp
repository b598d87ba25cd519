#include "FrmExam.h"

#include "DefaultForms.h"
#include "ModSystem.h"
#include "ReadConfig.h"

#include <App.h>
#include <ClQuAK.h>
#include <CodePage.h>
#include <Connection.h>
#include <Image.h>
#include <Label.h>
#include <MsgBox.h>
#include <Picture.h>
#include <PictureBox.h>
#include <QuButton.h>
#include <QuestionText.h>
#include <Recordset.h>
#include <RuntimeError.h>
#include <Stream.h>
#include <Timer.h>
#include <WindowApi.h>

#include <QDate>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

Form& Forms::FrmExam()
{
    return DefaultInstance<::FrmExam>();
}

namespace {

using namespace ModSystem;

constexpr int kGreen = 0x0000C000;
constexpr int kOlive = 0x00008080;
constexpr int kRed = 0x000000FF;
constexpr int kVerdictGreen = 0x0000FF00;
constexpr int kWrongRed = 0x000000FF;
constexpr int kUnansweredYellow = 0x0000FFFF;
constexpr int kCurrentCyan = 0x00FFFF80;
constexpr int kWindowColour = static_cast<int>(0x80000005);
constexpr int kAnsweredGreen = 0x00008000;
constexpr int kUnansweredGrey = 0x00808080;
constexpr int kTemplateBack = 0x00FFFCF7;

// Rest reminders of the practice clock, in elapsed seconds.
constexpr std::int32_t kThreeHours = 10800;
constexpr std::int32_t kFiveHours = 18000;

// A text value for a statement: in single quotes with each quote inside doubled, so that a paper
// id read from a file can neither break nor change the statement.
QString SqlText(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString WithoutNuls(QString text)
{
    text.remove(QChar(u'\0'));
    return text;
}

// The leading whole number of a text (blanks around it ignored), 0 when it starts with none: how
// answer texts are compared as numbers.
double LeadingNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    double value = 0;
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9') {
            break;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// "hh:nn:ss" of a count of seconds; hours beyond 99 take more digits rather than wrapping.
QString ClockText(std::int32_t seconds)
{
    const std::int32_t hours = seconds / 3600;
    const std::int32_t minutes = seconds / 60 % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The seconds a clock text stands for: hours, minutes and seconds fields, each read as a number.
std::int32_t SecondsOfClockText(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(':'));
    std::int64_t seconds = 0;
    for (const QString& field : fields) {
        seconds = seconds * 60 + static_cast<std::int64_t>(LeadingNumber(field));
    }
    if (seconds > std::numeric_limits<std::int16_t>::max()) {
        throw RuntimeError(6, QStringLiteral("溢出"));
    }
    return static_cast<std::int32_t>(seconds);
}

// A 16-bit conversion from a whole number, as an Integer assignment makes it.
std::int16_t ToInt16(std::int64_t value)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) {
        throw RuntimeError(6, QStringLiteral("溢出"));
    }
    return static_cast<std::int16_t>(value);
}

} // namespace

FrmExam::FrmExam() : Form(QStringLiteral("FrmExam"))
{
    OnArrayEvent(QStringLiteral("LabAnserd"), &Label::Click, [this](int index) { LabAnserd_Click(index); });
    OnArrayEvent(QStringLiteral("LabAnserd"), &Label::MouseDown,
                 [this](int index, int button, int shift, float x, float y) {
                     LabAnserd_MouseDown(index, button, shift, x, y);
                 });
    OnArrayEvent(QStringLiteral("LabAnserd"), &Label::MouseMove,
                 [this](int index, int button, int shift, float x, float y) {
                     LabAnserd_MouseMove(index, button, shift, x, y);
                 });
    OnArrayEvent(QStringLiteral("CmdExam"), &QuButton::Click, [this](int index) { CmdExam_Click(index); });
    OnArrayEvent(QStringLiteral("CmdSelect"), &QuButton::Click, [this](int index) { CmdSelect_Click(index); });
    OnEvent(QStringLiteral("CmdDelSAsw"), &QuButton::Click, [this] { CmdDelSAsw_Click(); });
    OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
}

FrmExam::~FrmExam() = default;

// ---------------------------------------------------------------------------------------------
// Loading and layout

void FrmExam::Form_Load()
{
    mHandedIn = false;
    SetCaption(App::EXEName());
    Move(0, 0, gScreenWidth, gScreenHeight);

    auto& imgBd = Control<Image>(QStringLiteral("ImgBd"));
    auto& picExam = Control<PictureBox>(QStringLiteral("PicExam"));
    imgBd.Move(0, 0, gScreenWidth, gScreenHeight);
    picExam.Move(static_cast<int>(std::nearbyint((gScreenWidth - picExam.Width()) / 2.0)),
                 static_cast<int>(std::nearbyint((gScreenHeight - picExam.Height()) / 2.0)));

    // The hand cursor is reached again by its predefined id, the handle this program keeps.
    gHandCursor = LoadCursor(QStringLiteral("#32649")) != nullptr ? IDC_HAND : 0;

    auto& labStTp = Control<Label>(QStringLiteral("LabStTp"));
    auto& timer1 = Control<Timer>(QStringLiteral("Timer1"));
    labStTp.SetCaption(gApplyType);
    Control<Label>(QStringLiteral("LabPd")).SetVisible(false);
    Control<Label>(QStringLiteral("LabThemeCt")).SetVisible(false);
    timer1.SetEnabled(false);
    timer1.SetInterval(1000);
    Control<Label>(QStringLiteral("LabStAswS")).SetCaption(QString());

    auto& sysName0 = Array<Label>(QStringLiteral("LabSysName"), 0);
    const QString title = GetSystemTitle();
    sysName0.SetCaption(title);
    Array<Label>(QStringLiteral("LabSysName"), 1).SetCaption(title);
    Control<Label>(QStringLiteral("Label8")).SetCaption(gDealerLine);
    Control<Label>(QStringLiteral("Label6")).SetCaption(gDealerLine);
    auto& sysJxs1 = Array<Label>(QStringLiteral("LabSysJXS"), 1);
    auto& sysJxs0 = Array<Label>(QStringLiteral("LabSysJXS"), 0);
    sysJxs1.Move(sysName0.Left() + sysName0.Width(), 180);
    sysJxs0.Move(sysJxs1.Left() + 10, 190);
    sysJxs0.SetCaption(gTitleSuffix);
    sysJxs1.SetCaption(gTitleSuffix);

    Control<Label>(QStringLiteral("LabTime")).SetForeColor(kGreen);
    Control<PictureBox>(QStringLiteral("PicBdTS")).SetVisible(gExamMode == ModeWrongPractice);

    if (gConn && gConn->State() == Ado::adStateOpen) {
        CloseDatabase();
        gConn.reset();
    }
    OpenDatabase();

    for (int id = 1; id <= 12; ++id) {
        mKeyCfgRs = gConn->Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=") + QString::number(id));
        const Ado::Variant code = mKeyCfgRs->Fields(QStringLiteral("KeyCode"));
        // A slot the key settings left without a key holds Null: 0 matches no key press.
        const std::int32_t value = code.IsNull() ? 0 : code.ToInt();
        if (value < 0 || value > 255) {
            throw RuntimeError(6, QStringLiteral("溢出"));
        }
        mKeyTable[static_cast<std::size_t>(id)] = static_cast<std::uint8_t>(value);
    }

    mPicStream = std::make_unique<Ado::Stream>();
    mPicPath = App::Path() + QStringLiteral("\\Tivex.dat");
    labStTp.SetCaption(gApplyType);

    mKeyBits = 256;
    mBlockBits = 256;
    mQuestionKey = GetQuestionKey();

    LoadTheme();

    auto& template0 = Array<QuButton>(QStringLiteral("CmdSelect"), 0);
    template0.SetButtonStyle(12);
    template0.SetBackColor(kTemplateBack);
    template0.SetForeColor(kUnansweredGrey);
    template0.Move(120, 120, 300, 300);
    template0.SetVisible(false);

    if (gExamMode == ModeMockExam || gExamMode == ModeWrongPractice) {
        mThemeTotal = mThemeRs ? ToInt16(mThemeRs->RecordCount()) : 0;
        BuildThemeButtons();
    } else {
        Control<PictureBox>(QStringLiteral("PicBut")).SetVisible(false);
    }

    ShowTheme();

    auto& cmdHandIn = Array<QuButton>(QStringLiteral("CmdExam"), 2);
    if (gExamMode == ModeMockExam) {
        cmdHandIn.SetEnabled(true);
        cmdHandIn.SetCaption(QStringLiteral("交卷"));
        // 16-bit seconds, as the hand-in and the scoring count them: at most 546 minutes. A time
        // below zero in a damaged STheme.cfg starts at zero.
        mClockSeconds = ToInt16(static_cast<std::int32_t>(mExamTime) * 60);
        mClockTime = std::max<std::int32_t>(0, mClockHours * 3600 + mClockMinutes * 60 + mClockSeconds);
    } else {
        cmdHandIn.SetCaption(QStringLiteral("结束练习"));
        mClockHours = 0;
        mClockMinutes = 0;
        mClockSeconds = 0;
        mClockTime = 0;
    }
    mRemainSeconds = mClockTime;
    mElapsedSeconds = 0;
    ShowClock();

    RefreshThemeButtons();

    gAnswering = true;
    timer1.SetEnabled(true);

    Array<Label>(QStringLiteral("LabStInfo"), 3)
        .SetCaption(QStringLiteral("准考证号：") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                    QStringLiteral("001008"));
}

void FrmExam::LoadTheme()
{
    switch (gExamMode) {
    case ModeMockExam:
        // A program killed between the bank and STheme.cfg, or a second program generating at the
        // same time, can leave the two naming different papers: the file is mended from the bank
        // before it is read.
        RepairPaperConfig();
        if (!mThemeCfg) {
            mThemeCfg = std::make_unique<ReadConfig>();
        }
        mThemeCfg->OpenIni(App::Path() + QStringLiteral("\\STheme.cfg"));
        mExamPaperID =
            mThemeCfg->GetString(QStringLiteral("System"), QStringLiteral("ExamPaperID"), QStringLiteral("0"))
                .trimmed();
        mThemeSql = QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_ThemePaper.ExamPaperID] = ") +
                    SqlText(mExamPaperID) +
                    QStringLiteral(" And [Exam_Theme.ThemeID] = [Exam_ThemePaper.ThemeID] Order By "
                                   "[Exam_ThemePaper.ExamID]");
        break;
    case ModeChapterPractice:
        mThemeSql = QStringLiteral("Select * From Exam_Theme Where ThemeChapter = %1 Order By ThemeID").arg(gChapter);
        break;
    case ModeWrongPractice:
        mThemeSql = QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_Theme.ThemeID] = "
                                   "[Exam_ThemePaper.ThemeID] Order By [Exam_ThemePaper.ExamID]");
        break;
    case ModeSequentialPractice:
        mThemeSql =
            QStringLiteral("Select * From Exam_Theme Where ") + gChapterFilter + QStringLiteral(" Order By ThemeID");
        break;
    default:
        return;
    }
    if (!mThemeRs) {
        mThemeRs = std::make_unique<Ado::Recordset>();
    }
    if (mThemeRs->State() == Ado::adStateOpen) {
        mThemeRs->Close();
    }
    mThemeRs->Open(mThemeSql, *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly);
    if (mThemeRs->RecordCount() > 0) {
        mThemeRs->MoveFirst();
    }
    if (gExamMode == ModeMockExam) {
        const QString examTime =
            mThemeCfg->GetString(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("0"));
        mExamTime = Ado::Variant(examTime).ToInt16();
    }
}

void FrmExam::Form_Resize()
{
    if (!IsLoaded()) {
        return;
    }
    auto& picExam = Control<PictureBox>(QStringLiteral("PicExam"));
    Control<Image>(QStringLiteral("ImgBd")).Move(0, 0, gScreenWidth, gScreenHeight);
    picExam.Move(static_cast<int>(std::nearbyint((gScreenWidth - picExam.Width()) / 2.0)),
                 static_cast<int>(std::nearbyint((gScreenHeight - picExam.Height()) / 2.0)));
}

// ---------------------------------------------------------------------------------------------
// Question display

bool FrmExam::HasCurrentQuestion() const
{
    return mThemeRs && mThemeRs->State() == Ado::adStateOpen && !mThemeRs->Bof() && !mThemeRs->Eof();
}

bool FrmExam::DecipherStored(const QString& stored, QString& target)
{
    const QString trimmed = stored.trimmed();
    if (HexToBytes(trimmed.toStdU16String(), mCipherBytes) == 0) {
        return false;
    }
    if (!mCipher) {
        mCipher = std::make_unique<ClQuAK>();
    }
    mCipher->SetCipherKey(mQuestionKey, mKeyBits, mBlockBits);
    if (mCipher->ArrayDecrypt(mPlainBytes, mCipherBytes, 0, mBlockBits) != 0) {
        return false;
    }
    SafeAssignString(target, QString::fromStdU16String(CodePage::FromAnsi(mPlainBytes.Bytes())));
    return true;
}

void FrmExam::DecryptThemeFields()
{
    struct Field {
        const char16_t* Column;
        QString* Target;
    };
    const Field fields[] = {{u"ThemeContent", &mThemeContent},
                            {u"ThemeAnswer1", &mThemeAnswer1},
                            {u"ThemeAnswer2", &mThemeAnswer2},
                            {u"ThemeAnswer3", &mThemeAnswer3},
                            {u"ThemeAnswer4", &mThemeAnswer4}};
    // A field that is Null, holds no hexadecimal digit or is no whole cipher block becomes empty on
    // its own; the fields after it are still deciphered, so no text of the previous question stays.
    for (const Field& field : fields) {
        const Ado::Variant value = mThemeRs->Fields(QString::fromUtf16(field.Column));
        if (value.IsNull() || !DecipherStored(value.ToString(), *field.Target)) {
            field.Target->clear();
        }
    }
}

void FrmExam::ShowTheme()
{
    const bool current = HasCurrentQuestion();
    // The count is taken also for an empty recordset, so that no count of an earlier screen
    // reaches the scoring and the results.
    gThemeCount = mThemeRs && mThemeRs->State() == Ado::adStateOpen ? ToInt16(mThemeRs->RecordCount()) : 0;

    auto& labExamTheme = Control<Label>(QStringLiteral("LabExamTheme"));
    auto& picTheme = Control<PictureBox>(QStringLiteral("PicTheme"));
    auto options = Array<Label>(QStringLiteral("LabAnserd"));

    if (current) {
        mThemeNo = ToInt16(mThemeRs->AbsolutePosition());
        mThemeType = mThemeRs->Fields(QStringLiteral("ThemeType")).ToInt16();
        switch (mThemeType) {
        case 1:
            mThemeTypeName = QStringLiteral("判断题");
            break;
        case 2:
            mThemeTypeName = QStringLiteral("单选题");
            break;
        case 3:
            mThemeTypeName = QStringLiteral("多选题");
            break;
        default:
            break;
        }
        DecryptThemeFields();

        labExamTheme.SetCaption(QString::number(mThemeNo) + QStringLiteral(" 、") + WithoutNuls(mThemeContent) +
                                QStringLiteral("\r\n\r\n(本题为： ") + mThemeTypeName + u')');
        const QString* answers[] = {&mThemeAnswer1, &mThemeAnswer2, &mThemeAnswer3, &mThemeAnswer4};
        for (int k = 1; k <= 4; ++k) {
            options(k).SetCaption(QString::number(k) + QStringLiteral(" 、") + WithoutNuls(*answers[k - 1]));
        }

        auto& labThemeCt = Control<Label>(QStringLiteral("LabThemeCt"));
        if (gExamMode == ModeChapterPractice || gExamMode == ModeSequentialPractice) {
            labThemeCt.SetVisible(true);
            labThemeCt.SetCaption(QStringLiteral("本类总题数：") + QString::number(gThemeCount));
        } else {
            labThemeCt.SetCaption(QString());
            labThemeCt.SetVisible(false);
        }

        mPageBase = static_cast<std::int16_t>((mThemeNo - 1) / 100 * 100);

        for (int k = 2; k <= 4; ++k) {
            const QString prefix = QString::number(k) + QStringLiteral(" 、");
            options(k).SetVisible(options(k).Caption().trimmed() != prefix);
        }
        options(1).SetVisible(true);

        if (gExamMode == ModeWrongPractice) {
            auto paper = gConn->Execute(QStringLiteral("Select * From Exam_ThemePaper"));
            auto buttons = Array<QuButton>(QStringLiteral("CmdSelect"));
            for (int i = 0; i < mThemeTotal && !paper->Eof(); ++i, paper->MoveNext()) {
                const Ado::Variant student = paper->Fields(QStringLiteral("StudentAnswer"));
                const Ado::Variant right = paper->Fields(QStringLiteral("ThemeAnswer"));
                int colour = kUnansweredYellow;
                if (!student.IsNull() && !right.IsNull()) {
                    colour = student.ToString().trimmed() == right.ToString().trimmed() ? kVerdictGreen : kWrongRed;
                }
                buttons(i).SetBackColor(colour);
            }
        }

        const Ado::Variant image = mThemeRs->Fields(QStringLiteral("ThemeImage"));
        if (image.IsNull()) {
            picTheme.SetVisible(false);
            picTheme.SetHeight(0);
        } else {
            mPicStream->SetType(Ado::adTypeBinary);
            mPicStream->Open();
            mPicStream->Write(image.ToBytes());
            mPicStream->SaveToFile(mPicPath, Ado::adSaveCreateOverWrite);
            mPicStream->Close();
            picTheme.SetPicture(QByteArray());
            // From here on a picture that cannot be loaded only leaves the question without one.
            QByteArray picture;
            try {
                picture = LoadPicture(mPicPath);
            } catch (const RuntimeError&) {
            }
            if (!picture.isEmpty()) {
                picTheme.SetPicture(picture);
                picTheme.SetVisible(true);
            } else {
                picTheme.SetVisible(false);
                picTheme.SetHeight(0);
            }
        }
    }

    // Layout, with the heights the labels took from their texts (twips).
    picTheme.Move(labExamTheme.Left() + 720, labExamTheme.Top() + labExamTheme.Height() + 240);
    options(1).SetTop(picTheme.Top() + picTheme.Height() + 240);
    for (int k = 2; k <= 4; ++k) {
        options(k).SetTop(options(k - 1).Top() + options(k - 1).Height() + 120);
    }
}

// ---------------------------------------------------------------------------------------------
// Number grid

void FrmExam::BuildThemeButtons()
{
    const int n = mThemeTotal;
    auto buttons = Array<QuButton>(QStringLiteral("CmdSelect"));
    auto& template0 = buttons(0);
    const auto& picBut = Control<PictureBox>(QStringLiteral("PicBut"));
    mButtonNo = 0;
    int row = 0;
    if (n > 0) {
        template0.SetVisible(true);
    }
    template0.SetCaption(QStringLiteral("1"));

    const double s = std::sqrt(static_cast<double>(n));
    int columns = 0;
    int rows = 0;
    if (n > 3) {
        const int k = static_cast<int>(std::nearbyint(s));
        columns = n % k == 0 ? k : static_cast<int>(s) + 1;
        rows = n % columns == 0 ? n / columns : n / columns + 1;
    } else {
        columns = static_cast<int>(s) + 2;
        rows = n / columns + 2;
    }
    // Gaps in twips, as single-precision sums divided by the count and again by count - 1.
    const auto gap = [](int room, int count) {
        if (count <= 1) {
            return 0;
        }
        const float share = static_cast<float>(room) / static_cast<float>(count);
        return static_cast<int>(std::nearbyint(share * static_cast<float>(count) / static_cast<float>(count - 1)));
    };
    const int rowGap = gap(picBut.Height() - 2 * template0.Top() - template0.Height() * rows, rows);
    const int columnGap = gap(picBut.Width() - 2 * template0.Left() - template0.Width() * columns, columns);

    for (int i = 1; i < n; ++i) {
        mButtonNo = static_cast<std::int16_t>(i);
        auto& button = buttons.Load(i);
        if (i % columns == 0) {
            row = i / columns;
            button.Move(120, template0.Top() + row * (template0.Height() + rowGap));
        } else {
            const auto& before = buttons(i - 1);
            button.Move(before.Left() + template0.Width() + columnGap, before.Top());
        }
        button.SetCaption(QString::number(i + 1));
        button.SetVisible(true);
    }
}

void FrmExam::RefreshThemeButtons()
{
    if (gExamMode != ModeMockExam && gExamMode != ModeWrongPractice) {
        return;
    }
    // Button i stands for question i + 1, however long the paper.
    const int current = mThemeNo - 1;
    auto buttons = Array<QuButton>(QStringLiteral("CmdSelect"));
    for (int i = 0; i < mThemeTotal; ++i) {
        auto& button = buttons(i);
        if (i == current) {
            if (button.BackColor() != kCurrentCyan) {
                button.SetBackColor(kCurrentCyan);
            }
        } else if (gExamMode == ModeMockExam) {
            const bool shown = LeadingNumber(button.Caption()) <= gThemeCount;
            if (button.Visible() != shown) {
                button.SetVisible(shown);
            }
            if (button.BackColor() != kWindowColour) {
                button.SetBackColor(kWindowColour);
            }
        }
    }
}

void FrmExam::MarkAnswered()
{
    if (gExamMode != ModeMockExam || mThemeNo < 1 || mThemeNo > mThemeTotal) {
        return;
    }
    auto& button = Array<QuButton>(QStringLiteral("CmdSelect"), mThemeNo - 1);
    const bool answered = !Control<Label>(QStringLiteral("LabStAswS")).Caption().isEmpty();
    // Only a change is drawn: the mark is set after every move as well.
    const int colour = answered ? kAnsweredGreen : kUnansweredGrey;
    if (button.ForeColor() != colour) {
        button.SetForeColor(colour);
    }
    if (button.Font().bold() != answered) {
        button.SetFontBold(answered);
    }
}

// ---------------------------------------------------------------------------------------------
// Answering and judging

void FrmExam::LabAnserd_Click(int index)
{
    auto& labStAswS = Control<Label>(QStringLiteral("LabStAswS"));
    // Without a question on the screen (an empty module) there is nothing to answer.
    if (gExamMode != ModeNone && gAnswering && HasCurrentQuestion()) {
        SetCursor(LoadCursor(gHandCursor));
        if (index >= 1 && index <= 4) {
            const QString digit = QString::number(index);
            if (mThemeType >= 3) {
                if (!labStAswS.Caption().contains(digit)) {
                    QString answer = labStAswS.Caption().trimmed() + digit;
                    labStAswS.SetCaption(answer);
                    // Ascending by pairwise exchange, as the stored answers are written.
                    for (qsizetype i = 0; i < answer.size(); ++i) {
                        for (qsizetype j = i + 1; j < answer.size(); ++j) {
                            if (LeadingNumber(answer.at(i)) > LeadingNumber(answer.at(j))) {
                                const QChar c = answer.at(i);
                                answer[i] = answer.at(j);
                                answer[j] = c;
                            }
                        }
                    }
                    labStAswS.SetCaption(answer);
                }
            } else {
                labStAswS.SetCaption(digit);
            }
        }
    }
    MarkAnswered();
    SaveAnswer();
}

void FrmExam::LabAnserd_MouseDown(int, int, int, float, float)
{
    if (gExamMode != ModeNone && gAnswering) {
        SetCursor(LoadCursor(gHandCursor));
    }
}

void FrmExam::LabAnserd_MouseMove(int, int, int, float, float)
{
    if (gExamMode != ModeNone && gAnswering) {
        SetCursor(LoadCursor(gHandCursor));
    }
}

void FrmExam::SaveAnswer()
{
    // Without a question on the screen there is nothing to store or judge: mThemeNo may still name a
    // question of an earlier screen, whose stored answer must not be touched.
    if (!HasCurrentQuestion()) {
        return;
    }
    auto& labStAswS = Control<Label>(QStringLiteral("LabStAswS"));
    if (gExamMode == ModeMockExam) {
        const QString answer = labStAswS.Caption().trimmed();
        if (!answer.isEmpty()) {
            mAnswerText = answer;
            const ByteArray plainBytes(CodePage::ToAnsi(mAnswerText.toStdU16String()));
            if (!mCipher) {
                mCipher = std::make_unique<ClQuAK>();
            }
            mCipher->SetCipherKey(mQuestionKey, mKeyBits, mBlockBits);
            mCipher->ArrayEncrypt(plainBytes, mCipherBytes, 0, mBlockBits);
            QString stored;
            SafeAssignString(
                stored, QString::fromStdU16String(
                            BytesToHex(mCipherBytes, static_cast<std::int32_t>(mCipherBytes.size()), mBlockBits / 8)));
            gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = '") + stored.trimmed() +
                           QStringLiteral("' Where ExamID= ") + QString::number(mThemeNo));
        } else {
            gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = Null Where ExamID= ") +
                           QString::number(mThemeNo));
        }
        return;
    }
    if (gExamMode != ModeChapterPractice && gExamMode != ModeWrongPractice && gExamMode != ModeSequentialPractice) {
        return;
    }
    const QString column =
        gExamMode == ModeWrongPractice ? QStringLiteral("Exam_ThemePaper.ThemeAnswer") : QStringLiteral("ThemeAnswer");
    if (!DecipherStored(mThemeRs->Fields(column).ToString(), mPlainText)) {
        return;
    }
    const QString rightAnswer = WithoutNuls(mPlainText);
    auto& labPd = Control<Label>(QStringLiteral("LabPd"));
    if (!labStAswS.Caption().isEmpty()) {
        mAnswerText = labStAswS.Caption().trimmed();
        labPd.SetVisible(true);
        if (LeadingNumber(mAnswerText) == LeadingNumber(rightAnswer)) {
            labPd.SetForeColor(kVerdictGreen);
            labPd.SetCaption(QStringLiteral("恭喜你答对了"));
        } else {
            labPd.SetForeColor(kWrongRed);
            labPd.SetCaption((gExamMode == ModeWrongPractice ? QStringLiteral("你答错了，正确答案为")
                                                             : QStringLiteral("你答错了，正确答案为 ")) +
                             rightAnswer);
        }
    } else if (gExamMode != ModeWrongPractice) {
        labPd.SetVisible(false);
    }
}

void FrmExam::LoadStudentAnswer()
{
    if (gExamMode != ModeMockExam) {
        return;
    }
    if (mAnswerRs && mAnswerRs->State() == Ado::adStateOpen) {
        mAnswerRs->Close();
    }
    mAnswerRs = std::make_unique<Ado::Recordset>();
    mAnswerRs->Open(QStringLiteral("Select StudentAnswer From Exam_ThemePaper Where ExamPaperID = ") +
                        SqlText(mExamPaperID) + QStringLiteral(" And ExamID = ") + QString::number(mThemeNo),
                    *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly);
    auto& labStAswS = Control<Label>(QStringLiteral("LabStAswS"));
    if (mAnswerRs->Eof() || mAnswerRs->Fields(0).IsNull()) {
        labStAswS.SetCaption(QString());
        return;
    }
    if (!DecipherStored(mAnswerRs->Fields(0).ToString(), mPlainText)) {
        return;
    }
    labStAswS.SetCaption(WithoutNuls(mPlainText));
}

// ---------------------------------------------------------------------------------------------
// Navigation, hand-in and keys

void FrmExam::StepPracticeClear()
{
    Control<Label>(QStringLiteral("LabStAswS")).SetCaption(QString());
    Control<Label>(QStringLiteral("LabPd")).SetVisible(false);
}

void FrmExam::CmdExam_Click(int index)
{
    if (index == 0 || index == 1) {
        // Without a current question (an empty module) there is nowhere to go.
        if (HasCurrentQuestion()) {
            const long position = mThemeRs->AbsolutePosition();
            const bool atEnd = index == 0 ? position == 1 : position == mThemeRs->RecordCount();
            if (!atEnd) {
                if (index == 0) {
                    mThemeRs->MovePrevious();
                } else {
                    mThemeRs->MoveNext();
                }
                ShowTheme();
                LoadStudentAnswer();
            }
        }
        if (gExamMode < ModeChapterPractice) {
            MarkAnswered();
            RefreshThemeButtons();
        } else {
            StepPracticeClear();
            MarkAnswered();
            RefreshThemeButtons();
        }
        return;
    }
    if (index != 2) {
        return;
    }

    if (gExamMode == ModeMockExam) {
        if (mHandedIn) {
            return;
        }
        const int answer =
            MessageBoxA(hWnd(), QStringLiteral("确认之后即提交试卷。"), QStringLiteral("提示！"), MB_YESNO);
        // The clock may have run out and handed the paper in while the question waited.
        if (!IsLoaded() || mHandedIn || answer != IDYES) {
            return;
        }
        mHandedIn = true;
        auto& labTime = Control<Label>(QStringLiteral("LabTime"));
        gSecondsLeft = static_cast<std::int16_t>(SecondsOfClockText(labTime.Caption()));
        gAnswering = false;
        Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
        labTime.SetForeColor(kRed);
        labTime.SetCaption(QStringLiteral("考试已经结束"));
        // The scoring form unloads itself and this screen.
        Forms::FrmJsdf().Show(vbModal);
        return;
    }
    if (gExamMode >= ModeChapterPractice) {
        const int answer =
            MessageBoxA(hWnd(), QStringLiteral("真的要停止练习吗？"), QStringLiteral("提示！"), MB_YESNO);
        if (!IsLoaded() || answer != IDYES) {
            return;
        }
        gAnswering = false;
        Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
        auto& labTime = Control<Label>(QStringLiteral("LabTime"));
        labTime.SetForeColor(kRed);
        labTime.SetCaption(QStringLiteral("练习已经结束"));
        Forms::FrmMain().Show();
        Unload();
    }
}

void FrmExam::CmdSelect_Click(int index)
{
    if (!mThemeRs || mThemeRs->State() != Ado::adStateOpen || index + 1 > mThemeRs->RecordCount()) {
        return;
    }
    mThemeRs->SetAbsolutePosition(index + 1);
    ShowTheme();
    LoadStudentAnswer();
    if (gExamMode >= ModeChapterPractice) {
        StepPracticeClear();
    }
    RefreshThemeButtons();
}

void FrmExam::CmdDelSAsw_Click()
{
    auto& labStAswS = Control<Label>(QStringLiteral("LabStAswS"));
    const QString answer = labStAswS.Caption();
    if (!answer.isEmpty()) {
        labStAswS.SetCaption(answer.left(answer.size() - 1));
    }
    MarkAnswered();
    SaveAnswer();
}

void FrmExam::Form_KeyDown(int& keyCode, int&)
{
    const auto is = [&](int slot) { return mKeyTable[static_cast<std::size_t>(slot)] == keyCode; };
    if (is(2)) {
        CmdExam_Click(2);
    } else if (is(3)) {
        CmdDelSAsw_Click();
    } else if (is(4)) {
        CmdExam_Click(0);
    } else if (is(5)) {
        CmdExam_Click(1);
    } else if (is(7)) {
        LabAnserd_Click(1);
    } else if (is(8)) {
        LabAnserd_Click(2);
    } else if (is(9)) {
        // Options 3 and 4 exist on single- and multiple-choice questions, not on true/false ones.
        if (mThemeType == 2 || mThemeType == 3) {
            LabAnserd_Click(3);
        }
    } else if (is(10)) {
        if (mThemeType == 2 || mThemeType == 3) {
            LabAnserd_Click(4);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Clock

void FrmExam::ShowClock()
{
    Control<Label>(QStringLiteral("LabTime")).SetCaption(ClockText(mClockTime));
}

void FrmExam::Timer1_Timer()
{
    if (gExamMode == ModeNone) {
        return;
    }
    auto& labTime = Control<Label>(QStringLiteral("LabTime"));
    if (gExamMode == ModeMockExam) {
        if (mClockTime > 0) {
            --mClockTime;
            mRemainSeconds = mClockTime;
            ShowClock();
            const double examSeconds = static_cast<double>(gExamTime) * 60;
            if (examSeconds / 3 > mRemainSeconds) {
                labTime.SetForeColor(kOlive);
                if (examSeconds / 6 > mRemainSeconds) {
                    labTime.SetForeColor(kRed);
                }
            }
        } else {
            HandInByClock();
        }
        return;
    }

    ++mClockTime;
    ShowClock();
    mElapsedSeconds = mClockTime;
    if (mElapsedSeconds >= kThreeHours) {
        auto& labYqTs = Control<Label>(QStringLiteral("LabYqTs"));
        labYqTs.SetVisible(true);
        labYqTs.SetCaption(QStringLiteral(" 友情提示：您已连续练习了3个小时以上，请注意休息！"));
        labTime.SetForeColor(kOlive);
        if (mElapsedSeconds > kFiveHours) {
            labYqTs.SetCaption(QStringLiteral(" 友情提示：您已连续练习了5个小时以上，请注意休息！"));
            labTime.SetForeColor(kRed);
        }
    }
}

void FrmExam::HandInByClock()
{
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    if (mHandedIn) {
        return;
    }
    mHandedIn = true;
    // Nothing may change the paper once it is on its way to the scoring.
    gAnswering = false;
    gSecondsLeft = static_cast<std::int16_t>(SecondsOfClockText(Control<Label>(QStringLiteral("LabTime")).Caption()));
    MsgBox(QStringLiteral("考试时间已到，系统已自动为您提交试卷！"), vbOKOnly, QStringLiteral("提示"));
    if (!IsLoaded()) {
        return;
    }
    Control<Label>(QStringLiteral("LabTime")).SetVisible(false);
    Forms::FrmJsdf().Show(vbModal);
}
