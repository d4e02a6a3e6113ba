// The manual pages that are drawings rather than pictures of the window.
#pragma once

#include <QImage>

namespace manualpictures {

// The 9-pin connector with a straight key and a paddle wired to it.
QImage wiringDiagram();
// The J/K keys and a short table of codes.
QImage keysAndCodes();

}  // namespace manualpictures
