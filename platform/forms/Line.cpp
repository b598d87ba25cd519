#include "Line.h"

#include "OleColor.h"

#include <QPainter>
#include <QWidget>

namespace {

class LineWindow : public QWidget {
public:
    explicit LineWindow(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* line = dynamic_cast<Line*>(ControlFromWindow(this));
        if (line == nullptr) {
            return;
        }
        QPainter painter(this);
        QPen pen(OleColorToQColor(line->BorderColor()));
        pen.setWidth(line->BorderWidth());
        pen.setCapStyle(Qt::FlatCap);
        static constexpr Qt::PenStyle kStyles[] = {Qt::NoPen,   Qt::SolidLine,   Qt::DashLine,
                                                   Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
        const int style = line->BorderStyle();
        pen.setStyle(style >= 0 && style <= 5 ? kStyles[style] : Qt::SolidLine);
        painter.setPen(pen);
        const QPoint origin = pos();
        const QPoint from(TwipsToPixels(line->X1()), TwipsToPixels(line->Y1()));
        const QPoint to(TwipsToPixels(line->X2()), TwipsToPixels(line->Y2()));
        painter.drawLine(from - origin, to - origin);
    }
};

} // namespace

QWidget* Line::CreateWidget(QWidget* parentWindow)
{
    return new LineWindow(parentWindow);
}

void Line::UpdateBounds()
{
    // The window covers the line and its pen width on every side.
    const int pad = PixelsToTwips(mBorderWidth);
    Move(std::min(mX1, mX2) - pad, std::min(mY1, mY2) - pad, std::abs(mX2 - mX1) + 2 * pad + TwipsPerPixel,
         std::abs(mY2 - mY1) + 2 * pad + TwipsPerPixel);
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void Line::SetX1(int twips)
{
    mX1 = twips;
    UpdateBounds();
}

void Line::SetY1(int twips)
{
    mY1 = twips;
    UpdateBounds();
}

void Line::SetX2(int twips)
{
    mX2 = twips;
    UpdateBounds();
}

void Line::SetY2(int twips)
{
    mY2 = twips;
    UpdateBounds();
}

void Line::SetBorderColor(int oleColor)
{
    mBorderColor = oleColor;
    UpdateBounds();
}

void Line::SetBorderWidth(int pixels)
{
    mBorderWidth = std::max(1, pixels);
    UpdateBounds();
}

void Line::SetBorderStyle(int style)
{
    mBorderStyle = style;
    UpdateBounds();
}

bool Line::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"x1") {
        SetX1(value.toInt());
    } else if (key == u"y1") {
        SetY1(value.toInt());
    } else if (key == u"x2") {
        SetX2(value.toInt());
    } else if (key == u"y2") {
        SetY2(value.toInt());
    } else if (key == u"bordercolor") {
        SetBorderColor(value.toInt());
    } else if (key == u"borderwidth") {
        SetBorderWidth(value.toInt());
    } else if (key == u"borderstyle") {
        SetBorderStyle(value.toInt());
    } else {
        return ::Control::SetDesignProperty(name, value);
    }
    return true;
}

void Line::CopyPropertiesFrom(const ::Control& source)
{
    ::Control::CopyPropertiesFrom(source);
    if (auto* line = dynamic_cast<const Line*>(&source)) {
        mX1 = line->mX1;
        mY1 = line->mY1;
        mX2 = line->mX2;
        mY2 = line->mY2;
        mBorderColor = line->mBorderColor;
        mBorderWidth = line->mBorderWidth;
        mBorderStyle = line->mBorderStyle;
    }
    UpdateBounds();
}
