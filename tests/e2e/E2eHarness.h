#pragma once

// The harness of the end-to-end tests: a private X server, a program folder, the real executable
// started in it, input through xdotool, the windows and pixels of the server, and the question bank
// read back with the project's own data layer. Nothing here knows a form's behaviour; the journeys do.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

// Polls condition every pollMs until it holds or timeoutMs have passed; returns whether it held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs, int pollMs = 20);

// Milliseconds on the monotonic clock, for the timings.
double NowMs();

// A top-level window of the server, as a person would see it.
struct WindowInfo {
    unsigned long Id = 0;
    QString Title;
    QRect Geometry; // pixels, on the screen
};

// A private Xvfb on a display number the server picks itself (-displayfd), so parallel tests never
// meet. The framebuffer is 1280 x 1024; RandR can make the screen smaller but never larger than it.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Started() const { return mDisplay != nullptr; }
    QString Name() const { return mName; } // ":N"

    // The screen as the server has it now (the root window's size).
    QSize ScreenSize() const;
    // Makes the screen this size through RandR, as a lasting change (a mode is created when needed).
    bool SetScreenSize(QSize size);

    // Mapped top-level windows, bottom of the stack first.
    std::vector<WindowInfo> Windows() const;
    // The topmost mapped window with this title (and, when given, this size); none when absent.
    std::optional<WindowInfo> FindWindow(const QString& title, std::optional<QSize> size = {}) const;

    QImage Grab() const;
    QImage Grab(const QRect& rect) const;

    // The pointer position, as the server has it.
    QPoint Pointer() const;

    // The text the owner of the CLIPBOARD selection gives as UTF-8; empty when nobody owns it or
    // answers within timeoutMs. It waits for an owner: after ClearClipboard, for the next copy.
    QString ClipboardText(int timeoutMs = 3000) const;
    // Leaves the CLIPBOARD selection without an owner, so that the text read next is the next copy's
    // rather than one from before, whose owner would answer while a program is still handling keys.
    void ClearClipboard() const;

private:
    pid_t mPid = 0;
    QString mName;
    void* mDisplay = nullptr; // Display*
};

// Input as a person gives it: xdotool's XTEST events on the private server.
class Input {
public:
    explicit Input(const XServer& server) : mServer(server) {}
    // Moves the pointer there (screen pixels) in a few steps, as a hand does, then clicks.
    void Click(QPoint at);
    void MoveTo(QPoint at);
    // X key names: "KP_7", "BackSpace", "Return", "b", "n".
    void Key(const QString& keysym);

private:
    void Run(const QStringList& arguments);
    const XServer& mServer;
};

// Paths the build fixes.
QString ProgramExecutable();
QString DemoBank();
// Where this test's screenshots go: <build>/tests/e2e/screenshots/<suite>.<test>/.
QString ScreenshotDir();

// A fresh program folder with the demo bank (or a bank built from source text).
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    QString Path() const { return mDir.path(); }
    QString File(const QString& name) const { return mDir.filePath(name); }
    QString Bank() const { return File(QStringLiteral("QKMExam_L.DLL")); }
    // Replaces the bank with one built from source text (BankSource format).
    void BuildBank(const std::string& sourceText);
    void Write(const QString& name, const QByteArray& content);
    QByteArray Read(const QString& name) const;
    // The folder and its files read-only (put back by the destructor). Root writes anyway: run the
    // program unprivileged to see the effect.
    void MakeReadOnly();

private:
    QTemporaryDir mDir;
};

// The real executable on the private server, in its own process group, with QKMEXAM_DIR set to the
// folder. Its output goes to a log file in the screenshot folder. The destructor ends it (SIGKILL)
// when it still runs.
class Program {
public:
    // unprivileged: when the tests run as root, the program runs as the user nobody, so that file
    // permissions hold for it as they do for a person.
    Program(const XServer& server, const ProgramFolder& folder, const QString& logName = QStringLiteral("program"),
            bool unprivileged = false);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t Pid() const { return mPid; }
    double StartedAtMs() const { return mStartedAt; }
    bool Running();
    // Waits for the process to end; true when it did, with its wait status.
    bool WaitForExit(int timeoutMs);
    int ExitCode() const;   // -1 when it did not exit normally
    int TermSignal() const; // 0 when it was not ended by a signal
    bool CoreDumped() const;
    void Signal(int signal);
    QString Log() const;
    // Resident memory in KiB (VmRSS), 0 when it is gone.
    long ResidentKiB() const;

private:
    pid_t mPid = 0;
    bool mExited = false;
    int mStatus = 0;
    double mStartedAt = 0;
    QString mLogPath;
};

// The question bank of a folder read with the project's data layer (a connection of its own, keyed
// with the bank password), for what the program wrote.
struct PaperRow {
    int ExamID = 0;
    QString ExamPaperID;
    int ThemeID = 0;
    double Points = 0;
    QString RightAnswer;           // deciphered
    QString StudentAnswer;         // deciphered; empty when Null
    bool Answered = false;         // StudentAnswer not Null
    std::optional<double> Awarded; // StudentDf
    int ThemeType = 0;
    int ThemeChapter = 0;
};

struct KeySlotRow {
    int ID = 0;
    std::optional<int> KeyCode;
    QString KeyValues;
};

class BankReader {
public:
    explicit BankReader(const QString& bankPath);
    ~BankReader();
    std::vector<PaperRow> Paper();
    std::vector<KeySlotRow> Keys();
    // The right answer of a question, deciphered.
    QString RightAnswer(int themeId);
    // The options of a question that the screen shows (deciphered, the empty ones left out).
    QStringList Options(int themeId);
    // Question ids of one chapter (0: all) and their types, in ThemeID order.
    std::vector<std::pair<int, int>> Questions(int chapter, const QString& condition = {});
    // Runs a query and returns the first column of the first row as text ("" when none or Null).
    QString Scalar(const QString& sql);

private:
    struct State;
    std::unique_ptr<State> mState;
};

// Positions of the forms' controls, from the same design data the program loads: a control's
// rectangle in twips relative to the form's client area (containers added up).
class FormLayout {
public:
    explicit FormLayout(const QString& formName);
    // name as in the design, "CmdExam(2)" for an array element.
    QRect Twips(const QString& control) const;
    QRect Pixels(const QString& control) const; // twips / 15
    QSize ClientPixels() const;
    // The centre of a control on the screen, given where the form's client area stands; `panel` is
    // an offset in pixels given to the control's outermost container at run time (centred panels).
    QPoint Centre(const QString& control, QPoint formOrigin, QPoint panelShift = {}) const;

private:
    QString mForm;
    struct Entry {
        QString Name;
        QString Container; // outermost container ("" when on the form itself)
        QRect Twips;
    };
    std::vector<Entry> mEntries;
    QSize mClient;
};

// Saves a picture as <ScreenshotDir>/<name>.png and returns the path.
QString SaveShot(const QImage& image, const QString& name);

} // namespace e2e
