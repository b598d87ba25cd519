#pragma once

#include "IntrinsicControl.h"

class QAbstractButton;

// An option button; the option buttons of one container form one group.
//
// Click is raised every time the button is selected, also when it already was: each time code sets
// Value to True, and each time the user clicks it or selects it with the keyboard (Space, or an
// arrow key moving through its group). That is how the platform the forms were written for reports
// an option button, which reports every click rather than a change of value; the forms' option
// handlers read the selection and re-apply what it says (the key settings highlight the selected
// slot again when unlocking selects slot 1 anew). Clearing a button (by code, or by selecting
// another of its group) raises nothing.
class OptionButton : public IntrinsicControl {
public:
    QString TypeName() const override { return QStringLiteral("OptionButton"); }

    const QString& Caption() const noexcept { return mCaption; }
    void SetCaption(const QString& caption);
    bool Value() const noexcept { return mValue; }
    void SetValue(bool value);
    // 0 caption right of the button, 1 left.
    void SetAlignment(int alignment);

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;
    bool ClickOnRelease() const override { return false; }
    bool GreysCaptionWhenDisabled() const override { return true; }

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void ApplyToWidget() override;

private:
    friend class OptionButtonAccess;
    // The window's state changed (the user's selection, or another button of the group taking it).
    void Toggled(bool checked);
    // The user clicked the window or selected it with the keyboard.
    void Clicked(bool checked);

    QString mCaption;
    bool mValue = false;
    int mAlignment = 0;
    bool mSyncing = false;
};
