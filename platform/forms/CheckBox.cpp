#include "CheckBox.h"

#include "ClassicIndicatorStyle.h"
#include "ControlHost.h"

#include <RuntimeError.h>

#include <QCheckBox>

namespace {

class CheckWindow : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked); }
};

Qt::CheckState StateOf(int value)
{
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

} // namespace

QWidget* CheckBox::CreateWidget(QWidget* parentWindow)
{
    auto* check = new CheckWindow(parentWindow);
    check->setTristate(true);
    check->setStyle(ClassicIndicatorStyle::Instance());
    WatchEvents(check);
    QObject::connect(check, &QCheckBox::stateChanged, check, [check](int state) {
        auto* box = dynamic_cast<CheckBox*>(ControlFromWindow(check));
        if (box != nullptr && !box->Syncing()) {
            const int value = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
            ControlHost::Dispatch([box, value] { box->StateChanged(value); });
        }
    });
    return check;
}

void CheckBox::ApplyToWidget()
{
    IntrinsicControl::ApplyToWidget();
    if (auto* check = static_cast<QCheckBox*>(hWnd())) {
        mSyncing = true;
        check->setText(mCaption);
        check->setLayoutDirection(mAlignment == 1 ? Qt::RightToLeft : Qt::LeftToRight);
        check->setAutoFillBackground(true);
        check->setCheckState(StateOf(mValue));
        mSyncing = false;
    }
}

void CheckBox::StateChanged(int value)
{
    if (value == mValue) {
        return;
    }
    mValue = value;
    Click();
}

void CheckBox::SetCaption(const QString& caption)
{
    mCaption = caption;
    if (auto* check = static_cast<QCheckBox*>(hWnd())) {
        check->setText(caption);
    }
}

void CheckBox::SetValue(int value)
{
    if (value < 0 || value > 2) {
        throw RuntimeError(380, QStringLiteral("无效属性值"));
    }
    if (auto* check = static_cast<QCheckBox*>(hWnd())) {
        mSyncing = true;
        check->setCheckState(StateOf(value));
        mSyncing = false;
    }
    StateChanged(value);
}

void CheckBox::SetAlignment(int alignment)
{
    mAlignment = alignment;
    ApplyToWidget();
}

bool CheckBox::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"caption") {
        SetCaption(value.toString());
    } else if (key == u"value") {
        mValue = std::clamp(value.toInt(), 0, 2);
        ApplyToWidget();
    } else if (key == u"alignment") {
        SetAlignment(value.toInt());
    } else if (key == u"style") {
        // Graphical check boxes are not used; the standard look stays.
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void CheckBox::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* box = dynamic_cast<const CheckBox*>(&source)) {
        mCaption = box->mCaption;
        mValue = box->mValue;
        mAlignment = box->mAlignment;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
