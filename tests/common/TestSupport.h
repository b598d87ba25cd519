#pragma once

#include <QString>

namespace qkmtest {

// Writes (once per process) the offscreen platform's screen description and returns its path.
// The offscreen default of 800 x 800 is smaller than the program's forms need.
QString OffscreenConfigFile(int width = 1280, int height = 1024);

} // namespace qkmtest
