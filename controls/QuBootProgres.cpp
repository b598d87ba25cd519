#include "QuBootProgres.h"

#include <ControlRegistry.h>
#include <DesignData.h>
#include <PictureBox.h>
#include <Timer.h>

namespace {

// Places in twips; colours &H00BBGGRR. Pic34(1), made last, lies above the squares.
const char* const ChildDesign = R"(UserControl QuBootProgres
    Begin PictureBox Picture1
        Left = 0
    End
    Begin PictureBox Picture2
        Left = 240
    End
    Begin PictureBox Picture3
        Left = 480
    End
    Begin PictureBox Picture4
        Left = 720
    End
    Begin PictureBox Picture5
        Left = 960
    End
    Begin PictureBox Picture6
        Left = 1200
    End
    Begin PictureBox Picture7
        Left = 1440
    End
    Begin PictureBox Picture8
        Left = 1680
    End
    Begin PictureBox Pic34(1)
        Left = 0
        BackColor = &H0000FF00&
    End
    Begin Timer Timer1
        Interval = 35
        Enabled = False
    End
End
)";

constexpr int SquareTwips = 135;
constexpr int SquareColor = 0x9C9918;
constexpr int StepTwips = 240;
constexpr int LastSquareLeft = 1680;

const bool gRegistered = (QuBootProgres::Register(), true);

} // namespace

QuBootProgres::QuBootProgres()
{
    SetCanGetFocus(false);
    OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
}

void QuBootProgres::CreateChildren()
{
    FormDesign design = ParseDesign(QString::fromUtf8(ChildDesign), QStringLiteral("QuBootProgres"));
    for (DesignControl& child : design.Controls) {
        if (child.Type != QLatin1String("PictureBox")) {
            continue;
        }
        // Flat squares of the designed size; the block keeps its own colour.
        child.Properties.insert(child.Properties.begin(), {{QStringLiteral("Top"), 0},
                                                           {QStringLiteral("Width"), SquareTwips},
                                                           {QStringLiteral("Height"), SquareTwips},
                                                           {QStringLiteral("BorderStyle"), 0},
                                                           {QStringLiteral("BackColor"), SquareColor}});
    }
    CreateControls(design.Controls);
}

void QuBootProgres::UserControl_Initialize()
{
    SetScaleMode(vbTwips);
    if (FindControl(QStringLiteral("Timer1")) == nullptr) {
        CreateChildren();
    }
}

bool QuBootProgres::Marquee() const
{
    const ::Control* timer = FindControl(QStringLiteral("Timer1"));
    return timer != nullptr && timer->Enabled();
}

void QuBootProgres::SetMarquee(bool value)
{
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(value);
}

void QuBootProgres::Timer1_Timer()
{
    PictureBox& block = Array<PictureBox>(QStringLiteral("Pic34"), 1);
    block.SetLeft(block.Left() + StepTwips);
    if (block.Left() > block.Width() + LastSquareLeft) {
        block.SetLeft(0);
    }
}

void QuBootProgres::Register()
{
    RegisterControlType(QStringLiteral("QuBootProgres"), [] { return std::make_unique<QuBootProgres>(); });
}
