#include "QuToolTipWindow.h"

#include <Gdi.h>

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int Margin = 4;    // pixels between the border and the text
constexpr int IconSize = 16; // title icon, pixels
constexpr int BalloonRadius = 6;
// The balloon's stem: its height above the body, its width where it meets the body, and the
// distance of its pointing edge from the leading side. Pixels.
constexpr int StemHeight = 12;
constexpr int StemWidth = 12;
constexpr int StemInset = 16;

QColor SystemColor(int index)
{
    const gdi::COLORREF c = gdi::GetSysColor(index);
    return QColor(gdi::GetRValue(c), gdi::GetGValue(c), gdi::GetBValue(c));
}

} // namespace

QuToolTipWindow::QuToolTipWindow(QWidget* owner, bool balloon, bool rightToLeft)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), mTool(owner),
      mBalloon(balloon), mBackColor(SystemColor(gdi::COLOR_INFOBK))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    mShowTimer.setSingleShot(true);
    mHideTimer.setSingleShot(true);
    connect(&mShowTimer, &QTimer::timeout, this, [this] { Pop(mLastPointer + QPoint(0, 20)); });
    connect(&mHideTimer, &QTimer::timeout, this, &QWidget::hide);
    if (owner != nullptr) {
        owner->installEventFilter(this);
    }
}

QuToolTipWindow::~QuToolTipWindow()
{
    if (mTool != nullptr) {
        mTool->removeEventFilter(this);
    }
}

void QuToolTipWindow::SetText(const QString& text)
{
    mText = text;
    Relayout();
}

void QuToolTipWindow::SetTitle(const QString& title, int icon)
{
    mTitle = title;
    mIcon = icon;
    Relayout();
}

void QuToolTipWindow::SetMaxTipWidth(int pixels)
{
    mMaxWidth = pixels;
    Relayout();
}

void QuToolTipWindow::SetTipBkColor(const QColor& color)
{
    mBackColor = color;
    update();
}

QSize QuToolTipWindow::TextSize(const QFont& font, const QString& text) const
{
    const QFontMetrics metrics(font);
    const int width = mMaxWidth > 0 ? mMaxWidth : 10000;
    return metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text).size();
}

void QuToolTipWindow::Relayout()
{
    QSize body = TextSize(font(), mText);
    if (!mTitle.isEmpty() || mIcon != TTI_NONE) {
        QFont bold = font();
        bold.setBold(true);
        const QSize title = TextSize(bold, mTitle);
        const int titleWidth = title.width() + (mIcon != TTI_NONE ? IconSize + Margin : 0);
        body = QSize(std::max(body.width(), titleWidth), body.height() + std::max(title.height(), IconSize) + Margin);
    }
    const int extra = mBalloon ? 2 * BalloonRadius : 0;
    resize(std::max(body.width() + 2 * Margin + extra, mBalloon ? StemInset + StemWidth + BalloonRadius : 0),
           body.height() + 2 * Margin + extra + (mBalloon ? StemHeight : 0));
    if (mBalloon) {
        // The window has the balloon's shape: nothing of the square around it shows.
        setMask(QRegion(Outline(0).toFillPolygon().toPolygon()));
    }
}

QPoint QuToolTipWindow::StemTip() const
{
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    return QPoint(rtl ? width() - 1 - StemInset : StemInset, 0);
}

QPainterPath QuToolTipWindow::Outline(double inset) const
{
    QPainterPath outline;
    if (!mBalloon) {
        outline.addRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
        return outline;
    }
    const QRectF body = QRectF(rect()).adjusted(inset, StemHeight + inset, -inset, -inset);
    outline.addRoundedRect(body, BalloonRadius, BalloonRadius);
    // The stem's pointing edge is upright; its other edge slopes down away from the leading side.
    const QPointF tip = QPointF(StemTip()) + QPointF(inset, inset);
    const double away = layoutDirection() == Qt::RightToLeft ? -StemWidth : StemWidth;
    QPainterPath stem;
    stem.moveTo(tip);
    stem.lineTo(tip.x(), body.top() + 2);
    stem.lineTo(tip.x() + away, body.top() + 2);
    stem.closeSubpath();
    return outline.united(stem).simplified();
}

void QuToolTipWindow::Pop(const QPoint& globalPos)
{
    if (mText.isEmpty()) {
        return;
    }
    // Right to left, a standard tip hangs from its top-right corner.
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    move(globalPos - (mBalloon ? StemTip() : QPoint(rtl ? width() - 1 : 0, 0)));
    show();
    raise();
    mHideTimer.start(AutoPopMs);
}

bool QuToolTipWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mTool) {
        switch (event->type()) {
        case QEvent::MouseMove:
            mLastPointer = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (!isVisible()) {
                mShowTimer.start(InitialDelayMs);
            }
            break;
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Hide:
            mShowTimer.stop();
            hide();
            break;
        default:
            break;
        }
    }
    return false;
}

void QuToolTipWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, mBalloon);
    const QPainterPath outline = Outline(0.5);
    // What the window shape keeps outside the smooth outline takes the outline's colour.
    const QColor line = SystemColor(gdi::COLOR_INFOTEXT);
    painter.fillRect(rect(), line);
    painter.fillPath(outline, mBackColor);
    painter.setPen(line);
    painter.drawPath(outline);

    // Right to left mirrors the layout: the icon on the right, title and text aligned right.
    const Qt::LayoutDirection direction = layoutDirection();
    const Qt::Alignment leading = QStyle::visualAlignment(direction, Qt::AlignLeft);
    const int inset = Margin + (mBalloon ? BalloonRadius : 0);
    QRect area = rect().adjusted(inset, inset + (mBalloon ? StemHeight : 0), -inset, -inset);
    if (!mTitle.isEmpty() || mIcon != TTI_NONE) {
        QFont bold = font();
        bold.setBold(true);
        const int titleHeight = std::max(IconSize, QFontMetrics(bold).height());
        int titleLeft = area.left();
        if (mIcon != TTI_NONE) {
            const QStyle::StandardPixmap which = mIcon == TTI_WARNING ? QStyle::SP_MessageBoxWarning
                                                 : mIcon == TTI_ERROR ? QStyle::SP_MessageBoxCritical
                                                                      : QStyle::SP_MessageBoxInformation;
            const QRect icon = QStyle::visualRect(direction, area, QRect(area.left(), area.top(), IconSize, IconSize));
            style()->standardIcon(which).paint(&painter, icon);
            titleLeft += IconSize + Margin;
        }
        painter.setFont(bold);
        const QRect title = QStyle::visualRect(direction, area,
                                               QRect(titleLeft, area.top(), area.right() - titleLeft + 1, titleHeight));
        painter.drawText(title, Qt::AlignVCenter | leading, mTitle);
        area.setTop(title.bottom() + 1 + Margin);
        painter.setFont(font());
    }
    painter.drawText(area, Qt::TextWordWrap | leading | Qt::AlignTop, mText);
}
