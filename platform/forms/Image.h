#pragma once

#include "IntrinsicControl.h"

// An image control: shows its picture, stretched to the control with Stretch, otherwise at its
// own size with the control sized to it.
class Image : public IntrinsicControl {
public:
    QString TypeName() const override { return QStringLiteral("Image"); }
    bool CanTakeFocus() const override { return false; }

    const QByteArray& Picture() const noexcept { return mPicture; }
    void SetPicture(const QByteArray& picture);
    bool Stretch() const noexcept { return mStretch; }
    void SetStretch(bool value);

    bool EatsMouseEvents() const override { return true; }
    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;
    void EndDesignLoad() override;

    const QImage& Decoded() const noexcept { return mDecoded; }

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;

private:
    void FitToPicture();

    QByteArray mPicture;
    QImage mDecoded;
    bool mStretch = false;
    bool mDesignDone = false;
};
