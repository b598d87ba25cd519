#pragma once

#include "ControlRegistry.h"

#include <QString>

#include <utility>
#include <vector>

// The controls the runtime itself provides, by their design-data type names.
std::vector<std::pair<QString, ControlFactory>> IntrinsicControlFactories();
