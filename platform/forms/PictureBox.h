#pragma once

#include "IntrinsicControl.h"

#include <QImage>

// A picture box: back colour, a picture drawn at its top-left (or the box fitted to it with
// AutoSize), an optional sunken border, and a container for other controls, whose positions are
// twips inside the border. With AutoRedraw the surface persists (Cls clears it to BackColor).
class PictureBox : public IntrinsicControl {
public:
    QString TypeName() const override { return QStringLiteral("PictureBox"); }
    bool IsContainer() const override { return true; }
    QWidget* ClientWindow() const override;
    bool CanTakeFocus() const override { return TabStop(); }

    // File bytes; empty for none.
    const QByteArray& Picture() const noexcept { return mPicture; }
    void SetPicture(const QByteArray& picture);
    bool AutoSize() const noexcept { return mAutoSize; }
    void SetAutoSize(bool value);
    bool AutoRedraw() const noexcept { return mAutoRedraw; }
    void SetAutoRedraw(bool value) { mAutoRedraw = value; }
    // 0 none, 1 fixed single (a 2-pixel sunken 3D border).
    int BorderStyle() const noexcept { return mBorderStyle; }
    void SetBorderStyle(int style);
    // 1 twips (default), 3 pixels: the unit of ScaleWidth and ScaleHeight.
    int ScaleMode() const noexcept { return mScaleMode; }
    void SetScaleMode(int mode) { mScaleMode = mode; }
    // The client area inside the border, in the scale mode's unit.
    double ScaleWidth() const;
    double ScaleHeight() const;
    // Clears the persistent surface to BackColor.
    void Cls();

    bool EatsMouseEvents() const override { return true; }
    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void EndDesignLoad() override;
    void CopyPropertiesFrom(const ::Control& source) override;

    int BorderPixels() const { return mBorderStyle != 0 ? 2 : 0; }

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void GeometryChanged() override;
    void AppearanceChanged() override;
    void Unloading() override;

private:
    void FitToPicture();

    QByteArray mPicture;
    bool mAutoSize = false;
    bool mAutoRedraw = false;
    int mBorderStyle = 1;
    int mScaleMode = 1;
    QWidget* mClient = nullptr;
    bool mDesignDone = false;
};
