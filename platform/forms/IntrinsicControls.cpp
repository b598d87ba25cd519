#include "IntrinsicControls.h"

std::vector<std::pair<QString, ControlFactory>> IntrinsicControlFactories()
{
    return {};
}
