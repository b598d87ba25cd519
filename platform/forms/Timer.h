#pragma once

#include "Control.h"
#include "Event.h"

#include <memory>

class QTimer;

// A timer: raises Timer every Interval milliseconds while Enabled and Interval > 0, on the one UI
// thread, each tick through the error guard. A tick handler that runs long holds the interface;
// ticks missed meanwhile are not made up.
class Timer : public ::Control {
public:
    Timer();
    ~Timer() override;

    QString TypeName() const override { return QStringLiteral("Timer"); }
    bool CanTakeFocus() const override { return false; }

    Event<> Tick;

    int Interval() const noexcept { return mInterval; }
    void SetInterval(int milliseconds);

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;

protected:
    QWidget* CreateWidget(QWidget*) override { return nullptr; }
    void EnabledChanged() override { Restart(); }
    void Unloading() override;

private:
    void Restart();

    int mInterval = 0;
    bool mTicking = false;
    bool mUnloaded = false;
    std::unique_ptr<QTimer> mTimer;
};
