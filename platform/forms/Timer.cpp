#include "Timer.h"

#include "ControlHost.h"

#include <QTimer>

Timer::Timer() : mTimer(std::make_unique<QTimer>())
{
    // Never before its interval: the forms count on it (the splash's steps half a second apart, the
    // exam clock's second), and Qt's default timers may fire up to 5 % early.
    mTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(mTimer.get(), &QTimer::timeout, mTimer.get(), [this] {
        // A tick while its own handler still runs (DoEvents inside it) is skipped.
        if (mTicking) {
            return;
        }
        mTicking = true;
        ControlHost::Dispatch([this] { Tick(); });
        mTicking = false;
    });
}

Timer::~Timer() = default;

void Timer::Unloading()
{
    mUnloaded = true;
    mTimer->stop();
}

void Timer::Restart()
{
    if (Enabled() && mInterval > 0 && Host() != nullptr && !mUnloaded) {
        mTimer->start(mInterval);
    } else {
        mTimer->stop();
    }
}

void Timer::SetInterval(int milliseconds)
{
    mInterval = std::max(0, milliseconds);
    Restart();
}

bool Timer::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"interval") {
        SetInterval(value.toInt());
        return true;
    }
    if (key == u"enabled") {
        SetEnabled(value.toBool());
        Restart();
        return true;
    }
    return ::Control::SetDesignProperty(name, value);
}

void Timer::CopyPropertiesFrom(const ::Control& source)
{
    ::Control::CopyPropertiesFrom(source);
    if (auto* timer = dynamic_cast<const Timer*>(&source)) {
        mInterval = timer->mInterval;
    }
    Restart();
}
