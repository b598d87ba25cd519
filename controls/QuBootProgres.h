#pragma once

#include <UserControl.h>

#include <QString>

// The splash's activity bar: eight fixed teal squares and one green block that jumps from square to
// square, left to right, every 35 ms while Marquee is True. It has no value, no text and no events.
//
// It is made of child controls at fixed twip places (scale mode twips, designed client area 1830 x
// 150 twips); the squares and the block keep their size and places whatever size the host gives
// the control, and the host clips what lies outside.
class QuBootProgres : public UserControl {
public:
    QuBootProgres();

    QString TypeName() const override { return QStringLiteral("QuBootProgres"); }
    // Registers the type with the forms runtime's control registry under "QuBootProgres" (also done when
    // the program is linked with this file; calling it again does no harm).
    static void Register();

    // The timer's Enabled state: True starts the block from where it stands, False stops it there.
    bool Marquee() const;
    void SetMarquee(bool value);

    // One tick of the timer: the block moves one square (240 twips) on and back to the first square
    // after the last.
    void Timer1_Timer();

    void UserControl_Initialize() override;

private:
    void CreateChildren();
};
