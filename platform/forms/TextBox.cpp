#include "TextBox.h"

#include "ControlHost.h"

#include <QLineEdit>

#include <algorithm>

QWidget* TextBox::CreateWidget(QWidget* parentWindow)
{
    auto* edit = new QLineEdit(parentWindow);
    WatchEvents(edit);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
        if (auto* box = dynamic_cast<TextBox*>(ControlFromWindow(edit))) {
            box->mText = text;
            ControlHost::Dispatch([box] { box->Change(); });
        }
    });
    return edit;
}

QLineEdit* TextBox::Edit() const
{
    return static_cast<QLineEdit*>(hWnd());
}

void TextBox::ApplyToWidget()
{
    IntrinsicControl::ApplyToWidget();
    if (QLineEdit* edit = Edit()) {
        const QSignalBlocker blocker(edit);
        ApplyLimit(mText);
        edit->setText(mText);
        edit->setEchoMode(mPasswordChar.isEmpty() ? QLineEdit::Normal : QLineEdit::Password);
        edit->setReadOnly(mLocked);
        edit->setAlignment(mAlignment == 1 ? Qt::AlignRight : mAlignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
        edit->setFrame(mBorderStyle != 0);
    }
}

QString TextBox::Text() const
{
    return mText;
}

void TextBox::ApplyLimit(const QString& text)
{
    // The limit holds the user's typing only (as an edit control's text limit does): a longer text
    // from code stays whole, where Qt would cut it to the limit. The raised limit stays until code
    // sets another text (changing it while the user edits would move the cursor).
    if (QLineEdit* edit = Edit()) {
        const int limit = mMaxLength > 0 ? std::max(mMaxLength, static_cast<int>(text.size())) : 32767;
        if (edit->maxLength() != limit) {
            edit->setMaxLength(limit);
        }
    }
}

void TextBox::SetText(const QString& text)
{
    if (QLineEdit* edit = Edit()) {
        ApplyLimit(text);
        edit->setText(text);
    } else {
        mText = text;
    }
}

void TextBox::SetMaxLength(int length)
{
    mMaxLength = length;
    ApplyToWidget();
}

void TextBox::SetPasswordChar(const QString& character)
{
    mPasswordChar = character.left(1);
    ApplyToWidget();
}

void TextBox::SetLocked(bool locked)
{
    mLocked = locked;
    ApplyToWidget();
}

void TextBox::SetAlignment(int alignment)
{
    mAlignment = alignment;
    ApplyToWidget();
}

void TextBox::SetBorderStyle(int style)
{
    mBorderStyle = style;
    ApplyToWidget();
}

int TextBox::SelStart() const
{
    QLineEdit* edit = Edit();
    if (edit == nullptr) {
        return 0;
    }
    return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

void TextBox::SetSelStart(int start)
{
    if (QLineEdit* edit = Edit()) {
        edit->setCursorPosition(std::clamp(start, 0, static_cast<int>(mText.size())));
    }
}

int TextBox::SelLength() const
{
    QLineEdit* edit = Edit();
    return edit != nullptr ? static_cast<int>(edit->selectedText().size()) : 0;
}

void TextBox::SetSelLength(int length)
{
    if (QLineEdit* edit = Edit()) {
        const int start = SelStart();
        edit->setSelection(start, std::clamp(length, 0, static_cast<int>(mText.size()) - start));
    }
}

QString TextBox::SelText() const
{
    QLineEdit* edit = Edit();
    return edit != nullptr ? edit->selectedText() : QString();
}

bool TextBox::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"text") {
        mText = value.toString();
        ApplyToWidget();
    } else if (key == u"maxlength") {
        SetMaxLength(value.toInt());
    } else if (key == u"passwordchar") {
        SetPasswordChar(value.toString());
    } else if (key == u"locked") {
        SetLocked(value.toBool());
    } else if (key == u"alignment") {
        SetAlignment(value.toInt());
    } else if (key == u"borderstyle") {
        SetBorderStyle(value.toInt());
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void TextBox::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* box = dynamic_cast<const TextBox*>(&source)) {
        mText = box->mText;
        mMaxLength = box->mMaxLength;
        mPasswordChar = box->mPasswordChar;
        mLocked = box->mLocked;
        mAlignment = box->mAlignment;
        mBorderStyle = box->mBorderStyle;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
