#include "Runtime.h"

#include "App.h"
#include "ControlHost.h"
#include "Form.h"
#include "MsgBox.h"
#include "RuntimeEventFilter.h"

#include <RuntimeError.h>

#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QPointer>
#include <QTimer>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <vector>

namespace {

// Song text up to 10.5 points (14 pixels at 96 dpi) is drawn without anti-aliasing: the Song face then
// draws from its one-pixel bitmap strikes (11 to 16 pixels), crisp and in the exact text colour, as the
// forms were designed to read. Anti-aliased, its hairline strokes never reach their colour and small
// text reads faint and blurred. Larger text stays smooth. A font-matching rule is the one place that
// reaches every way text is drawn: labels, the intrinsic controls, the owner-drawn captions.
void DrawSmallSongTextCrisp(const QStringList& songFaces)
{
    QByteArray rule = R"(<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd"><fontconfig>)";
    for (const QString& face : songFaces) {
        rule += R"(<match target="font"><test name="family"><string>)" + face.toHtmlEscaped().toUtf8() +
                R"(</string></test><test name="pixelsize" compare="less"><double>14.5</double></test>)"
                R"(<edit name="antialias" mode="assign"><bool>false</bool></edit></match>)";
    }
    rule += "</fontconfig>";
    if (FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(rule.constData()),
                                       FcFalse) == FcFalse) {
        qWarning("Small Song text stays anti-aliased: the font-matching rule was refused");
    }
}

struct RuntimeState {
    int Depth = 0;
    bool Ended = false;
    bool MainLoopRunning = false;
    std::vector<ErrorTranslator> Translators;
    std::vector<QPointer<QEventLoop>> Loops;
    std::function<void()> EndHook;
};

RuntimeState& State()
{
    static RuntimeState state;
    return state;
}

void LeaveAllLoops()
{
    auto& state = State();
    for (const auto& loop : state.Loops) {
        if (loop != nullptr) {
            loop->exit(0);
        }
    }
    if (state.MainLoopRunning && QCoreApplication::instance() != nullptr) {
        QCoreApplication::exit(0);
    }
}

void FinishProgram()
{
    auto& state = State();
    if (state.Ended) {
        return;
    }
    state.Ended = true;
    Form::DiscardAll();
    LeaveAllLoops();
    if (state.EndHook) {
        state.EndHook();
    }
}

TrappedError Translate(const std::exception_ptr& error)
{
    const auto& translators = State().Translators;
    for (auto it = translators.rbegin(); it != translators.rend(); ++it) {
        try {
            if (std::optional<TrappedError> translated = (*it)(error)) {
                return *translated;
            }
        } catch (...) {
        }
    }
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError& runtimeError) {
        return {runtimeError.Number(), runtimeError.Description()};
    } catch (const std::bad_alloc&) {
        return {7, QStringLiteral("内存溢出")};
    } catch (const std::exception& exception) {
        return {440, QString::fromLocal8Bit(exception.what())};
    } catch (...) {
        return {51, QStringLiteral("内部错误")};
    }
}

} // namespace

void InitializeRuntime()
{
    // A Song (Ming) face for "宋体", as the forms were drawn with; its gaps filled from a sans face. The
    // symbols that the stand-in draws half-width come from a second Song face in the text drawing.
    const QStringList song{QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei")};
    DrawSmallSongTextCrisp({song.front(), QStringLiteral("AR PL SungtiL GB")});
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // The runtime decides when the program ends (the last form unloaded), not Qt.
        app->setQuitOnLastWindowClosed(false);
        QApplication::setFont(QFont(QStringLiteral("宋体"), 9));
        InstallRuntimeEventFilter();
    }
}

void RegisterErrorTranslator(ErrorTranslator translator)
{
    State().Translators.push_back(std::move(translator));
}

QString RuntimeErrorText(const TrappedError& error)
{
    return QStringLiteral("运行时错误 '%1':\n\n%2").arg(error.Number).arg(error.Description);
}

int DispatchDepth()
{
    return State().Depth;
}

namespace {

struct DepthScope {
    DepthScope() { ++State().Depth; }
    ~DepthScope()
    {
        --State().Depth;
        try {
            ControlHost::ReleaseDiscarded();
        } catch (...) {
        }
    }
};

} // namespace

bool RunGuarded(const std::function<void()>& body) noexcept
{
    DepthScope depth;
    try {
        body();
        return true;
    } catch (const ProgramEnding&) {
        return false;
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            const TrappedError trapped = Translate(error);
            if (!State().Ended) {
                MsgBox(RuntimeErrorText(trapped), vbCritical, App::Title());
            }
        } catch (...) {
        }
        try {
            FinishProgram();
        } catch (...) {
        }
        return false;
    }
}

void End()
{
    FinishProgram();
    throw ProgramEnding();
}

bool ProgramEnded()
{
    return State().Ended;
}

void SetProgramEndHook(std::function<void()> hook)
{
    State().EndHook = std::move(hook);
}

void ResetProgramEnded()
{
    State().Ended = false;
}

void ThrowIfProgramEnded()
{
    if (State().Ended) {
        throw ProgramEnding();
    }
}

void DoEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ThrowIfProgramEnded();
}

void QuitProgram()
{
    // Deferred: the handler that unloaded the last form may still show another one.
    QTimer::singleShot(0, [] {
        if (!State().Ended && Form::Forms().empty()) {
            // Outside any dispatch: nothing the end hook throws may reach Qt.
            try {
                FinishProgram();
            } catch (...) {
            }
        }
    });
}

void RunNestedLoop(QEventLoop& loop)
{
    auto& loops = State().Loops;
    loops.emplace_back(&loop);
    if (!State().Ended) {
        loop.exec();
    }
    loops.erase(std::remove(loops.begin(), loops.end(), &loop), loops.end());
    loops.erase(std::remove(loops.begin(), loops.end(), nullptr), loops.end());
}

int RunMessageLoop()
{
    auto& state = State();
    if (state.Ended || QCoreApplication::instance() == nullptr) {
        return 0;
    }
    state.MainLoopRunning = true;
    const int result = QCoreApplication::exec();
    state.MainLoopRunning = false;
    return result;
}
