#pragma once

#include "IntrinsicControl.h"

// A check box with Value 0 unchecked, 1 checked, 2 grayed. Click is raised whenever Value
// changes, by the user or by code; a click of the user toggles between 0 and 1 (grayed goes to 0).
class CheckBox : public IntrinsicControl {
public:
    QString TypeName() const override { return QStringLiteral("CheckBox"); }

    const QString& Caption() const noexcept { return mCaption; }
    void SetCaption(const QString& caption);
    int Value() const noexcept { return mValue; }
    // Error 380 for a value outside 0-2.
    void SetValue(int value);
    void SetAlignment(int alignment);

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;
    bool ClickOnRelease() const override { return false; }
    bool GreysCaptionWhenDisabled() const override { return true; }

    // The window reports a change of state (user input).
    void StateChanged(int value);
    bool Syncing() const noexcept { return mSyncing; }

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void ApplyToWidget() override;

private:
    QString mCaption;
    int mValue = 0;
    int mAlignment = 0;
    bool mSyncing = false;
};
