#pragma once

#include "IntrinsicControl.h"

// A frame: an etched border with its caption in the top edge, and a container for other controls.
// Positions of the controls inside are twips from the frame's top-left corner, as the forms give
// them (the caption and border are drawn over the same area).
class Frame : public IntrinsicControl {
public:
    QString TypeName() const override { return QStringLiteral("Frame"); }
    bool IsContainer() const override { return true; }
    bool CanTakeFocus() const override { return false; }

    const QString& Caption() const noexcept { return mCaption; }
    void SetCaption(const QString& caption);
    // 0 none, 1 fixed single.
    int BorderStyle() const noexcept { return mBorderStyle; }
    void SetBorderStyle(int style);

    bool EatsMouseEvents() const override { return true; }
    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;

private:
    QString mCaption;
    int mBorderStyle = 1;
};
