#pragma once

#include "Control.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Control types by the name design data gives them. The intrinsic controls are known from the
// start; libraries of user controls register theirs at start-up ("QuButton" -> factory).
using ControlFactory = std::function<std::unique_ptr<Control>()>;

void RegisterControlType(const QString& typeName, ControlFactory factory);
// A new control of the type (names compare case-insensitively), or nullptr for an unknown type.
std::unique_ptr<Control> CreateControlOfType(const QString& typeName);
QStringList RegisteredControlTypes();
