#include "QuToolTipWindow.h"

#include <Gdi.h>

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace {

constexpr int Margin = 4;    // pixels between the border and the text
constexpr int IconSize = 16; // title icon, pixels
constexpr int BalloonRadius = 6;

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
    resize(body.width() + 2 * Margin + extra, body.height() + 2 * Margin + extra);
}

void QuToolTipWindow::Pop(const QPoint& globalPos)
{
    if (mText.isEmpty()) {
        return;
    }
    move(globalPos);
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
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    if (mBalloon) {
        outline.addRoundedRect(frame, BalloonRadius, BalloonRadius);
    } else {
        outline.addRect(frame);
    }
    painter.fillPath(outline, mBackColor);
    painter.setPen(SystemColor(gdi::COLOR_INFOTEXT));
    painter.drawPath(outline);

    const int inset = Margin + (mBalloon ? BalloonRadius : 0);
    QRect area = rect().adjusted(inset, inset, -inset, -inset);
    if (!mTitle.isEmpty() || mIcon != TTI_NONE) {
        int left = area.left();
        if (mIcon != TTI_NONE) {
            const QStyle::StandardPixmap which = mIcon == TTI_WARNING ? QStyle::SP_MessageBoxWarning
                                                 : mIcon == TTI_ERROR ? QStyle::SP_MessageBoxCritical
                                                                      : QStyle::SP_MessageBoxInformation;
            style()->standardIcon(which).paint(&painter, QRect(left, area.top(), IconSize, IconSize));
            left += IconSize + Margin;
        }
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        const QRect titleRect(left, area.top(), area.right() - left + 1,
                              std::max(IconSize, QFontMetrics(bold).height()));
        painter.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeading, mTitle);
        area.setTop(titleRect.bottom() + 1 + Margin);
        painter.setFont(font());
    }
    painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeading | Qt::AlignTop, mText);
}
