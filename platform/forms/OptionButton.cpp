#include "OptionButton.h"

#include "ClassicIndicatorStyle.h"
#include "ControlHost.h"

#include <QRadioButton>

class OptionButtonAccess {
public:
    static void Toggled(OptionButton* button, bool checked) { button->Toggled(checked); }
    static void Clicked(OptionButton* button, bool checked) { button->Clicked(checked); }
    static bool Syncing(const OptionButton* button) { return button->mSyncing; }
};

QWidget* OptionButton::CreateWidget(QWidget* parentWindow)
{
    auto* radio = new QRadioButton(parentWindow);
    radio->setStyle(ClassicIndicatorStyle::Instance());
    WatchEvents(radio);
    QObject::connect(radio, &QRadioButton::toggled, radio, [radio](bool checked) {
        auto* option = dynamic_cast<OptionButton*>(ControlFromWindow(radio));
        if (option != nullptr && !OptionButtonAccess::Syncing(option)) {
            ControlHost::Dispatch([option, checked] { OptionButtonAccess::Toggled(option, checked); });
        }
    });
    // Qt selects a radio button for the user only through a click (mouse, Space, arrow keys in the
    // group, shortcuts), which emits clicked after toggled, and emits it also when the button was
    // selected already: Click comes from here alone for the user's input.
    QObject::connect(radio, &QRadioButton::clicked, radio, [radio](bool checked) {
        auto* option = dynamic_cast<OptionButton*>(ControlFromWindow(radio));
        if (option != nullptr && !OptionButtonAccess::Syncing(option)) {
            ControlHost::Dispatch([option, checked] { OptionButtonAccess::Clicked(option, checked); });
        }
    });
    return radio;
}

void OptionButton::ApplyToWidget()
{
    IntrinsicControl::ApplyToWidget();
    if (auto* radio = static_cast<QRadioButton*>(hWnd())) {
        mSyncing = true;
        radio->setText(mCaption);
        radio->setLayoutDirection(mAlignment == 1 ? Qt::RightToLeft : Qt::LeftToRight);
        radio->setAutoFillBackground(true);
        radio->setChecked(mValue);
        mSyncing = false;
    }
}

void OptionButton::Toggled(bool checked)
{
    mValue = checked;
}

void OptionButton::Clicked(bool checked)
{
    mValue = checked;
    if (checked) {
        Click();
    }
}

void OptionButton::SetCaption(const QString& caption)
{
    mCaption = caption;
    if (auto* radio = static_cast<QRadioButton*>(hWnd())) {
        radio->setText(caption);
    }
}

void OptionButton::SetValue(bool value)
{
    if (auto* radio = static_cast<QRadioButton*>(hWnd())) {
        if (value) {
            // Checking one clears the others of the group through Qt's exclusivity; this one's
            // Click runs here, in the caller's context, so that its errors reach the caller.
            mSyncing = true;
            radio->setChecked(true);
            mSyncing = false;
            mValue = true;
            Click();
        } else {
            radio->setAutoExclusive(false);
            mSyncing = true;
            radio->setChecked(false);
            mSyncing = false;
            radio->setAutoExclusive(true);
            mValue = false;
        }
        return;
    }
    mValue = value;
    if (value) {
        Click();
    }
}

void OptionButton::SetAlignment(int alignment)
{
    mAlignment = alignment;
    ApplyToWidget();
}

bool OptionButton::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"caption") {
        SetCaption(value.toString());
    } else if (key == u"value") {
        mValue = value.toBool();
        ApplyToWidget();
    } else if (key == u"alignment") {
        SetAlignment(value.toInt());
    } else if (key == u"style") {
        // Graphical option buttons are not used; the standard look stays.
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void OptionButton::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* option = dynamic_cast<const OptionButton*>(&source)) {
        mCaption = option->mCaption;
        mAlignment = option->mAlignment;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
