#pragma once

#include "IntrinsicControl.h"

// A label. With AutoSize it takes the size of its caption: with WordWrap its width stays and its
// height grows (or shrinks) to the wrapped lines; without, both follow the longest line. Chinese
// text wraps between any two characters, other text at spaces. BackStyle 0 is transparent.
class Label : public IntrinsicControl {
public:
    QString TypeName() const override { return QStringLiteral("Label"); }
    bool CanTakeFocus() const override { return false; }

    const QString& Caption() const noexcept { return mCaption; }
    void SetCaption(const QString& caption);
    // 0 left, 1 right, 2 centre.
    int Alignment() const noexcept { return mAlignment; }
    void SetAlignment(int alignment);
    bool AutoSize() const noexcept { return mAutoSize; }
    void SetAutoSize(bool value);
    bool WordWrap() const noexcept { return mWordWrap; }
    void SetWordWrap(bool value);
    // 0 transparent, 1 opaque.
    int BackStyle() const noexcept { return mBackStyle; }
    void SetBackStyle(int style);
    // 0 none, 1 fixed single.
    int BorderStyle() const noexcept { return mBorderStyle; }
    void SetBorderStyle(int style);
    // "&" marks an access key and "&&" shows one ampersand while this is True.
    bool UseMnemonic() const noexcept { return mUseMnemonic; }
    void SetUseMnemonic(bool value);

    bool EatsMouseEvents() const override { return true; }
    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void EndDesignLoad() override;
    void CopyPropertiesFrom(const ::Control& source) override;

    // The Qt text flags the label draws and measures with.
    int TextFlags() const;

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void AppearanceChanged() override;

private:
    void FitToCaption();

    QString mCaption;
    int mAlignment = 0;
    bool mAutoSize = false;
    bool mWordWrap = false;
    int mBackStyle = 1;
    int mBorderStyle = 0;
    bool mUseMnemonic = true;
    bool mFitting = false;
    // Fitting waits until all design properties are in (their order must not matter).
    bool mDesignDone = false;
};
