#pragma once

#include <ByteArray.h>
#include <Form.h>

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class ClQuAK;
class ReadConfig;
namespace Ado {
class Recordset;
class Stream;
} // namespace Ado

// The exam and practice screen: the mock exam (mode 1) and the chapter, wrong-answer and
// sequential practice (modes 2 to 4) over one question recordset, with the question-number grid,
// answering by mouse and keys, the clock and the hand-in.
class FrmExam : public Form {
public:
    FrmExam();
    ~FrmExam() override;

    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyDown(int& keyCode, int& shift) override;

    // Opens mThemeRs for gExamMode; only Form_Load calls it.
    void LoadTheme();

private:
    // Question display.
    void DecryptThemeFields();
    void ShowTheme();
    // Number grid.
    void BuildThemeButtons();
    void RefreshThemeButtons();
    void MarkAnswered();
    // Answering.
    void LabAnserd_Click(int index);
    void LabAnserd_MouseDown(int index, int button, int shift, float x, float y);
    void LabAnserd_MouseMove(int index, int button, int shift, float x, float y);
    void SaveAnswer();
    void LoadStudentAnswer();
    // Navigation, hand-in and keys.
    void CmdExam_Click(int index);
    void CmdSelect_Click(int index);
    void CmdDelSAsw_Click();
    // Clock.
    void Timer1_Timer();

    bool HasCurrentQuestion() const;
    // Deciphers one stored text through mCipherBytes and mPlainBytes into target (padding kept);
    // false when it yields no bytes or the cipher rejects it.
    bool DecipherStored(const QString& stored, QString& target);
    void ShowClock();
    void HandInByClock();
    void StepPracticeClear();

    std::unique_ptr<Ado::Recordset> mThemeRs;
    QString mThemeSql;
    std::unique_ptr<ReadConfig> mThemeCfg;
    QString mExamPaperID;
    std::int16_t mExamTime = 0; // minutes
    std::unique_ptr<Ado::Recordset> mKeyCfgRs;
    // Key code of answer-key slot ID 1 to 12 at index ID; 0 (no slot key) matches no key press.
    std::array<std::uint8_t, 13> mKeyTable{};
    std::unique_ptr<Ado::Stream> mPicStream;
    QString mPicPath;
    std::unique_ptr<ClQuAK> mCipher;
    ByteArray mQuestionKey;
    std::int32_t mKeyBits = 0;
    std::int32_t mBlockBits = 0;
    std::int16_t mThemeTotal = 0;
    std::int16_t mThemeNo = 0; // 1-based place in mThemeRs
    std::int16_t mThemeType = 0;
    QString mThemeTypeName;
    QString mThemeContent;
    QString mThemeAnswer1;
    QString mThemeAnswer2;
    QString mThemeAnswer3;
    QString mThemeAnswer4;
    // The hundred the current question falls in. The grid has one button per question, so neither
    // the highlight nor the jump pages by it.
    std::int16_t mPageBase = 0;
    std::int16_t mButtonNo = 0;
    std::int16_t mClockHours = 0;
    std::int16_t mClockMinutes = 0;
    std::int16_t mClockSeconds = 0;
    // The clock in whole seconds, 32 bits: the practice clock counts up past 9 h 6 min 7 s and past
    // a day without wrapping.
    std::int32_t mClockTime = 0;
    std::int32_t mRemainSeconds = 0;
    std::int32_t mElapsedSeconds = 0;

    QString mAnswerText;
    QString mPlainText;
    ByteArray mPlainBytes;
    ByteArray mCipherBytes;
    std::unique_ptr<Ado::Recordset> mAnswerRs;

    // Set once the paper goes to scoring, by the button or by the clock; the other path then stays
    // out, so a paper is scored once however the two meet (the clock may run out while the hand-in
    // question waits).
    bool mHandedIn = false;
};
