#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

// The tooltip window a button makes for itself each time it becomes hot (the platform's
// "tooltips_class32" window with one tool): it watches the tool window's mouse messages, appears
// after the pointer has rested on the tool for the initial delay, and goes on leave, press, key
// or after the pop-up time. An empty text shows nothing. Sizes are pixels.
class QuToolTipWindow : public QWidget {
public:
    // Icon codes of the title, as the tooltip's title message takes them.
    enum TitleIcon : int { TTI_NONE = 0, TTI_INFO = 1, TTI_WARNING = 2, TTI_ERROR = 3 };

    static constexpr int InitialDelayMs = 500;
    static constexpr int AutoPopMs = 5000;

    // owner is the tool's window: the tooltip belongs to it and goes with it.
    QuToolTipWindow(QWidget* owner, bool balloon, bool rightToLeft);
    ~QuToolTipWindow() override;

    void SetText(const QString& text);
    const QString& Text() const noexcept { return mText; }
    void SetTitle(const QString& title, int icon);
    const QString& Title() const noexcept { return mTitle; }
    int TitleIconCode() const noexcept { return mIcon; }
    void SetMaxTipWidth(int pixels);
    int MaxTipWidth() const noexcept { return mMaxWidth; }
    void SetTipBkColor(const QColor& color);
    const QColor& TipBkColor() const noexcept { return mBackColor; }
    bool IsBalloon() const noexcept { return mBalloon; }
    QWidget* Tool() const noexcept { return mTool.data(); }

    // Shows the tip now (the rest delay elapsed): a standard tip with its top-left corner (its
    // top-right one right to left) at a global position, a balloon with the tip of its stem there.
    void Pop(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Relayout();
    // The balloon's outline in window pixels: a rounded body under a stem that points up from
    // near the leading edge; the plain rectangle of a standard tip. inset 0 gives the window's
    // shape, 0.5 the line drawn just inside it.
    QPainterPath Outline(double inset) const;
    QPoint StemTip() const;
    QSize TextSize(const QFont& font, const QString& text) const;

    QPointer<QWidget> mTool;
    bool mBalloon;
    QString mText;
    QString mTitle;
    int mIcon = TTI_NONE;
    int mMaxWidth = -1;
    QColor mBackColor;
    QTimer mShowTimer;
    QTimer mHideTimer;
    QPoint mLastPointer;
};
