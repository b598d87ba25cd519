#pragma once

#include "IntrinsicControl.h"

class QAbstractButton;

// An option button; the option buttons of one container form one group. Click is raised when
// Value becomes True, by the user or by code.
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

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void ApplyToWidget() override;

private:
    friend class OptionButtonAccess;
    void Toggled(bool checked);

    QString mCaption;
    bool mValue = false;
    int mAlignment = 0;
    bool mSyncing = false;
};
