#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <optional>

// The program-wide services of the forms runtime: start-up, the one error guard every event
// dispatch passes through, End, DoEvents.

// Installs the font substitutions ("宋体" and "Tahoma" onto the installed CJK and Latin faces) and
// the application-wide settings the forms rely on. Call once, after the QApplication exists and
// before the first widget is made.
void InitializeRuntime();

// An error as the standard message box reports it.
struct TrappedError {
    long Number = 0;
    QString Description;
};

// Turns an exception of a type the runtime does not know into a reportable error; returns nothing
// for exceptions it does not recognise. Translators are asked newest first, before the built-in
// RuntimeError and std::exception handling.
using ErrorTranslator = std::function<std::optional<TrappedError>(const std::exception_ptr&)>;
void RegisterErrorTranslator(ErrorTranslator translator);

// Thrown (and swallowed by the guard) to unwind handler code after End: code after End, or after
// a modal Show or DoEvents during which the program ended, never runs on.
class ProgramEnding : public std::exception {
public:
    const char* what() const noexcept override { return "program ending"; }
};

// Runs one event dispatch. An error that escapes body is shown in the standard error message box
// ("运行时错误 'N':", a blank line, the description; title App::Title()) and the program ends.
// Nothing escapes: Qt never sees an exception. Returns false when body did not complete.
bool RunGuarded(const std::function<void()>& body) noexcept;

// How many guarded dispatches are running now (0 outside any).
int DispatchDepth();

// The message box text for an error, as RunGuarded shows it.
QString RuntimeErrorText(const TrappedError& error);

// Ends the program at once: unloads every form without running its unload handlers, leaves
// every event loop and unwinds the calling handler (throws ProgramEnding).
[[noreturn]] void End();

// True once End ran, an untrapped error ended the program, or the last form was unloaded.
bool ProgramEnded();

// Called when the program ends, after the forms are gone (the program's main uses it to put the
// display mode back; tests use it to observe the end). Replaces the previous hook.
void SetProgramEndHook(std::function<void()> hook);

// Tests run many "programs" in one process: forgets that the program ended.
void ResetProgramEnded();

// Lets pending events run, then throws ProgramEnding when the program ended meanwhile.
void DoEvents();

// Throws ProgramEnding when the program has ended; used after nested event loops.
void ThrowIfProgramEnded();

// The last form was unloaded: once the running handler has returned and still no form is
// loaded, the program ends (ProgramEnded, the end hook, the main loop left).
void QuitProgram();

class QEventLoop;
// Runs a nested event loop (modal forms, message boxes) that End leaves with the rest.
void RunNestedLoop(QEventLoop& loop);

// The program's main loop: returns when the program has ended (at once when it already has).
int RunMessageLoop();
