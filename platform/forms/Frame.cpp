#include "Frame.h"

#include "OleColor.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace {

class FrameWindow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* frame = dynamic_cast<Frame*>(ControlFromWindow(this));
        if (frame == nullptr) {
            return;
        }
        QPainter painter(this);
        painter.fillRect(rect(), OleColorToQColor(frame->BackColor()));
        painter.setFont(frame->Font());
        const QFontMetrics metrics(frame->Font());
        const int top = metrics.height() / 2;
        if (frame->BorderStyle() != 0) {
            const QRect box = rect().adjusted(0, top, -2, -2);
            painter.setPen(OleColorToQColor(static_cast<int>(0x80000010)));
            painter.drawRect(box);
            painter.setPen(OleColorToQColor(static_cast<int>(0x80000014)));
            painter.drawRect(box.translated(1, 1));
        }
        if (!frame->Caption().isEmpty()) {
            const int width = metrics.horizontalAdvance(frame->Caption()) + 4;
            const QRect captionRect(6, 0, width, metrics.height());
            painter.fillRect(captionRect, OleColorToQColor(frame->BackColor()));
            painter.setPen(OleColorToQColor(frame->ForeColor()));
            painter.drawText(captionRect, Qt::AlignCenter | Qt::TextShowMnemonic, frame->Caption());
        }
    }
};

} // namespace

QWidget* Frame::CreateWidget(QWidget* parentWindow)
{
    auto* window = new FrameWindow(parentWindow);
    WatchEvents(window);
    return window;
}

void Frame::SetCaption(const QString& caption)
{
    mCaption = caption;
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void Frame::SetBorderStyle(int style)
{
    mBorderStyle = style;
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

bool Frame::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"caption") {
        SetCaption(value.toString());
    } else if (key == u"borderstyle") {
        SetBorderStyle(value.toInt());
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void Frame::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* frame = dynamic_cast<const Frame*>(&source)) {
        mCaption = frame->mCaption;
        mBorderStyle = frame->mBorderStyle;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
