#include "FormTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"
#include "ProgramRuntime.h"

#include <KeyCodes.h>
#include <Runtime.h>
#include <Screen.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace qkmtest {

ProgramFixture::ProgramFixture()
{
    InitProgramRuntime();
    Form::DiscardAll();
    Forms::DestroyAll();
    ResetProgramEnded();
    ResetSharedState();
    ModSystem::gScreenWidth = Screen::Width();
    ModSystem::gScreenHeight = Screen::Height();
}

ProgramFixture::~ProgramFixture()
{
    Form::DiscardAll();
    QCoreApplication::processEvents();
    Forms::DestroyAll();
    ResetProgramEnded();
    ResetSharedState();
}

void ProgramFixture::ResetSharedState()
{
    using namespace ModSystem;
    gExamMode = ModeNone;
    gApplyType.clear();
    gChapter = 0;
    gChapterFilter.clear();
    gExamPaperID.clear();
    gExamTime = 0;
    gConn.reset();
    gSysIni.reset();
    gScreenWidth = 0;
    gScreenHeight = 0;
    gDealerLine.clear();
    gTitleSuffix.clear();
    gThemeCount = 0;
    gSecondsLeft = 0;
    gTimeUsed.clear();
    gScore = 0;
    gAnswering = false;
    gHandCursor = 0;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void WhenShown(Form& form, std::function<void()> action, int timeoutMs)
{
    auto* poll = new QTimer;
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(poll, &QTimer::timeout, [poll, waited, &form, action = std::move(action), timeoutMs] {
        const bool shown = form.IsLoaded() && form.Visible();
        if (!shown && waited->elapsed() < timeoutMs) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        delete waited;
        if (shown) {
            action();
        }
    });
    poll->start(5);
}

void ClickControl(::Control& control)
{
    QWidget* window = control.hWnd();
    ClickControlAt(control, QPoint(window->width() / 2, window->height() / 2));
}

void ClickControlAt(::Control& control, QPoint pixel)
{
    QWidget* window = control.hWnd();
    QTest::mouseMove(window, pixel);
    QTest::mouseClick(window, Qt::LeftButton, {}, pixel);
}

void MovePointerOnto(::Control& control)
{
    QWidget* window = control.hWnd();
    QTest::mouseMove(window, QPoint(window->width() / 2, window->height() / 2));
}

namespace {

QWidget* KeyTarget(Form& form)
{
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != form.hWnd()) {
        target = form.hWnd();
    }
    return target;
}

} // namespace

void PressKey(Form& form, int virtualKey)
{
    const QtKeyStroke stroke = QtKeyFromVirtualKey(virtualKey);
    QTest::keyClick(KeyTarget(form), static_cast<Qt::Key>(stroke.Key), stroke.Modifiers);
}

void TypeText(Form& form, const QString& text)
{
    QTest::keyClicks(KeyTarget(form), text);
}

QImage SaveFormPng(Form& form, const QString& name)
{
    QCoreApplication::processEvents();
    const QImage image = form.hWnd()->grab().toImage();
    QDir dir(QCoreApplication::applicationDirPath());
    dir.mkpath(QStringLiteral("forms"));
    image.save(dir.filePath(QStringLiteral("forms/%1.png").arg(name)));
    return image;
}

} // namespace qkmtest
