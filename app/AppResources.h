#pragma once

// Makes the forms' design data (":/forms") and the pictures (":/assets") reachable. The resources
// are compiled into the static application library, whose linker keeps them only when something
// names them: the program's main and the tests call this once before the first form loads.
void InitAppResources();
