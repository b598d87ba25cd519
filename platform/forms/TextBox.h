#pragma once

#include "IntrinsicControl.h"

class QLineEdit;

// A single-line text box. Change is raised for every change of Text, by the user or by code.
class TextBox : public IntrinsicControl {
public:
    // The window colours (&H80000005 and &H80000008), not the button face of the other controls.
    TextBox() : IntrinsicControl(static_cast<int>(0x80000005), static_cast<int>(0x80000008)) {}

    QString TypeName() const override { return QStringLiteral("TextBox"); }

    QString Text() const;
    void SetText(const QString& text);
    // The most characters the user can type; 0 means no limit. Text set by code is never cut.
    int MaxLength() const noexcept { return mMaxLength; }
    void SetMaxLength(int length);
    // The character shown for every typed one; empty for plain text.
    const QString& PasswordChar() const noexcept { return mPasswordChar; }
    void SetPasswordChar(const QString& character);
    bool Locked() const noexcept { return mLocked; }
    void SetLocked(bool locked);
    // 0 left, 1 right, 2 centre.
    int Alignment() const noexcept { return mAlignment; }
    void SetAlignment(int alignment);
    int BorderStyle() const noexcept { return mBorderStyle; }
    void SetBorderStyle(int style);
    // Selection in characters, 0-based.
    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    QString SelText() const;

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;
    bool ClickOnRelease() const override { return false; }

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void ApplyToWidget() override;

private:
    QLineEdit* Edit() const;
    // Qt's limit on the line edit: MaxLength, raised to the length of a longer text.
    void ApplyLimit(const QString& text);

    QString mText;
    int mMaxLength = 0;
    QString mPasswordChar;
    bool mLocked = false;
    int mAlignment = 0;
    int mBorderStyle = 1;
};
