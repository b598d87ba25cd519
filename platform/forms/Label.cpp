#include "Label.h"

#include "OleColor.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include <climits>

namespace {

class LabelWindow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* label = dynamic_cast<Label*>(ControlFromWindow(this));
        if (label == nullptr) {
            return;
        }
        QPainter painter(this);
        if (label->BackStyle() != 0) {
            painter.fillRect(rect(), OleColorToQColor(label->BackColor()));
        }
        QRect area = rect();
        if (label->BorderStyle() != 0) {
            painter.setPen(Qt::black);
            painter.drawRect(area.adjusted(0, 0, -1, -1));
            area.adjust(1, 1, -1, -1);
        }
        painter.setFont(label->Font());
        painter.setPen(OleColorToQColor(label->ForeColor()));
        painter.drawText(area, label->TextFlags(), label->Caption());
    }
};

} // namespace

QWidget* Label::CreateWidget(QWidget* parentWindow)
{
    auto* window = new LabelWindow(parentWindow);
    WatchEvents(window);
    return window;
}

int Label::TextFlags() const
{
    int flags = Qt::AlignTop;
    flags |= mAlignment == 1 ? Qt::AlignRight : mAlignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    if (mWordWrap || !mAutoSize) {
        flags |= Qt::TextWordWrap;
    }
    flags |= mUseMnemonic ? Qt::TextShowMnemonic : 0;
    return flags;
}

void Label::FitToCaption()
{
    if (!mAutoSize || mFitting || !mDesignDone) {
        return;
    }
    mFitting = true;
    const QFontMetrics metrics(Font());
    const int border = mBorderStyle != 0 ? 2 : 0;
    const QString text = mCaption.isEmpty() ? QStringLiteral(" ") : mCaption;
    if (mWordWrap) {
        const int width = std::max(1, TwipsToPixels(Width()) - border);
        const QRect bounds = metrics.boundingRect(QRect(0, 0, width, INT_MAX), TextFlags(), text);
        SetHeight(PixelsToTwips(bounds.height() + border));
    } else {
        const QRect bounds = metrics.boundingRect(QRect(0, 0, INT_MAX / 2, INT_MAX / 2), TextFlags(), text);
        Move(Left(), Top(), PixelsToTwips(bounds.width() + border), PixelsToTwips(bounds.height() + border));
    }
    mFitting = false;
}

void Label::EndDesignLoad()
{
    mDesignDone = true;
    FitToCaption();
}

void Label::AppearanceChanged()
{
    IntrinsicControl::AppearanceChanged();
    FitToCaption();
}

void Label::SetCaption(const QString& caption)
{
    mCaption = caption;
    FitToCaption();
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void Label::SetAlignment(int alignment)
{
    mAlignment = alignment;
    AppearanceChanged();
}

void Label::SetAutoSize(bool value)
{
    mAutoSize = value;
    FitToCaption();
}

void Label::SetWordWrap(bool value)
{
    mWordWrap = value;
    FitToCaption();
    AppearanceChanged();
}

void Label::SetBackStyle(int style)
{
    mBackStyle = style;
    AppearanceChanged();
}

void Label::SetBorderStyle(int style)
{
    mBorderStyle = style;
    AppearanceChanged();
}

void Label::SetUseMnemonic(bool value)
{
    mUseMnemonic = value;
    AppearanceChanged();
}

bool Label::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"caption") {
        SetCaption(value.toString());
    } else if (key == u"alignment") {
        SetAlignment(value.toInt());
    } else if (key == u"autosize") {
        SetAutoSize(value.toBool());
    } else if (key == u"wordwrap") {
        SetWordWrap(value.toBool());
    } else if (key == u"backstyle") {
        SetBackStyle(value.toInt());
    } else if (key == u"borderstyle") {
        SetBorderStyle(value.toInt());
    } else if (key == u"usemnemonic") {
        SetUseMnemonic(value.toBool());
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void Label::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* label = dynamic_cast<const Label*>(&source)) {
        mCaption = label->mCaption;
        mAlignment = label->mAlignment;
        mAutoSize = label->mAutoSize;
        mWordWrap = label->mWordWrap;
        mBackStyle = label->mBackStyle;
        mBorderStyle = label->mBorderStyle;
        mUseMnemonic = label->mUseMnemonic;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
