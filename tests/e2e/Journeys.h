#pragma once

// The steps that several journeys share: a server, a folder and the program together, the windows
// of the program recognised by their titles and sizes, clicks on controls by their design positions,
// message boxes answered by key, and numbered screenshots.

#include "E2eHarness.h"

#include <QSize>

#include <memory>
#include <optional>

namespace e2e {

// Window titles of the program.
inline const QString kProgramTitle = QStringLiteral("QKMExam"); // splash, main menu, exam screen
inline const QString kTradeChooserTitle = QStringLiteral("选择车型");
inline const QString kModuleChooserTitle = QStringLiteral("选择章节");
inline const QString kKeySettingsTitle = QStringLiteral("键盘设置");
inline const QString kResultsTitle = QStringLiteral("评分");
inline const QString kNoticeTitle = QStringLiteral("提示");       // the program's message boxes
inline const QString kExamNoticeTitle = QStringLiteral("提示！"); // the exam screen's confirmations
inline const QSize kSplashSize(420, 280);

// Generous limits: the machine is shared and a dozen programs may be starting at once.
inline constexpr int kWindowWaitMs = 20000;

class Session {
public:
    explicit Session(std::unique_ptr<ProgramFolder> folder = std::make_unique<ProgramFolder>());
    ~Session();

    XServer& Server() { return mServer; }
    ProgramFolder& Folder() { return *mFolder; }
    Input& Keys() { return mInput; }
    Program& Running() { return *mProgram; }
    bool HasProgram() const { return mProgram != nullptr; }

    // Starts the program (a new process each time; a previous one must have ended).
    Program& Start(const QString& logName = QStringLiteral("program"), bool unprivileged = false);
    // Ends the running program with SIGKILL and waits for it.
    void KillProgram();

    // A window of the program by title and optionally size; waits up to timeoutMs for it to be mapped.
    std::optional<WindowInfo> WaitWindow(const QString& title, std::optional<QSize> size = {},
                                         int timeoutMs = kWindowWaitMs);
    // A message box with this title (neither full-screen nor the splash), once it is painted.
    std::optional<WindowInfo> WaitBox(const QString& title, int timeoutMs = kWindowWaitMs);
    // Waits until no window with this title is mapped.
    bool WaitGone(const QString& title, int timeoutMs = kWindowWaitMs);
    // Waits for a full-screen program window other than `previous` (the main menu after an exam,
    // the exam screen after the menu).
    std::optional<WindowInfo> WaitNewScreen(unsigned long previous, int timeoutMs = kWindowWaitMs);
    // Waits until this window is no longer mapped.
    bool WaitWindowGone(unsigned long id, int timeoutMs = kWindowWaitMs);
    // Waits until the pixels of the rectangle stop changing (two grabs 100 ms apart alike).
    bool WaitSettled(const QRect& rect, int timeoutMs = 5000);

    // From start to the main menu: the splash seen and photographed, then the menu. Returns the menu.
    std::optional<WindowInfo> StartToMainMenu(bool unprivileged = false);

    // The centre of a control of the main menu or exam screen: both centre their 15390 x 11550 twip
    // panel PicExam on the screen; `screen` is their full-screen window.
    QPoint PanelPoint(const FormLayout& layout, const QString& control, const WindowInfo& screen) const;
    // The centre of a control of a window whose client area is the window (dialogs without border).
    QPoint DialogPoint(const FormLayout& layout, const QString& control, const WindowInfo& window) const;

    void Click(QPoint at) { mInput.Click(at); }

    // On the main menu: 开始考试 (mock) or 顺序练习, then trade 0 (sheet metal) or 1 (painting) and 确定.
    // Returns false when the chooser did not come or did not go.
    bool ChooseTrade(const WindowInfo& menu, bool mock, int trade);

    // Answers the message box with this title by a key ("Return" for its default button, "n" for 否,
    // "Escape" to close it); photographs it first under `shot` when given. Returns false when no
    // such box came.
    bool AnswerBox(const QString& title, const QString& key, const QString& shot = {});

    // The text of the message box with this title, selected and copied from the box as a person can.
    // Photographed first under `shot` when given, as the selection shows in the picture afterwards.
    QString BoxText(const QString& title, const QString& shot = {});

    // Numbered full-screen screenshot, "<nn>-<name>.png"; returns the path.
    QString Shot(const QString& name);

    // Positions of controls on the centred panel PicExam of a full-screen form, as a rectangle on the screen.
    QRect PanelRect(const FormLayout& layout, const QString& control, const WindowInfo& screen) const;

private:
    XServer mServer;
    std::unique_ptr<ProgramFolder> mFolder;
    Input mInput;
    std::unique_ptr<Program> mProgram;
    int mShotNumber = 0;
};

// The exam screen on the screen: its controls, the question's options found on the picture, the
// number buttons, and the observable marks of answering.
class ExamScreen {
public:
    ExamScreen(Session& session, const WindowInfo& window);

    const WindowInfo& Window() const { return mWindow; }
    QPoint Point(const QString& control) const;
    QRect Rect(const QString& control) const;
    // The centre of the number button of a question (1-based) of a 50-question paper: 8 columns,
    // buttons 300 twips square, 210 and 260 twips apart, 120 from the box's edges.
    QPoint NumberButton(int question) const;
    QRect NumberButtonRect(int question) const;

    // The option lines of the question shown: black text starting 720 twips into the question area
    // (the question text itself is in the highlight colour). One point per option, on its text.
    std::vector<QPoint> Options() const;

    QImage Grab(const QString& control) const;
    QImage GrabQuestion() const { return Grab(QStringLiteral("Picture1")); }
    // Waits until the control's picture differs from `before`.
    bool WaitChange(const QString& control, const QImage& before, int timeoutMs = 5000) const;
    // Waits until the question area stops changing and differs from `before`.
    bool WaitQuestionChange(const QImage& before, int timeoutMs = 5000) const;

    // Pixels of exactly this colour inside the rectangle (text strokes keep their pure colour).
    int CountColour(const QRect& rect, QRgb colour) const;

    // B, the key of "结  束", asks once with `text`: 否 closes the box and no second one comes. The
    // pointer stays where 否 was given, so that the next key finds the screen without a click.
    void DeclineEndByKey(const QString& text);

private:
    Session& mSession;
    WindowInfo mWindow;
    FormLayout mLayout;
};

} // namespace e2e
