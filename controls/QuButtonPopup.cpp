// The button's own tooltip window and its drop-down menu. Neither is shown yet: no form of the
// program sets a tooltip text or a menu, and the two arrive with the remaining styles.
#include "QuButton.h"

void QuButton::ShowToolTip() {}

void QuButton::ShowDropDownMenu()
{
    mMenuShowing = false;
}
