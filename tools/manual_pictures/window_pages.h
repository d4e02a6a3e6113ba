// The manual pages that show the main window in the state they explain, with call-outs.
#pragma once

#include <QImage>

namespace manualpictures {

QImage basicOperation();   // a receive run in progress
QImage screenParts();      // the controls and what they do
QImage practiceTips();     // the status and score lines after a telegram
QImage soundSettings();    // speed, frequency, tolerances, timbre, language, mode
QImage loadingAndPages();  // a loaded file and the page buttons
QImage autoKeyer();        // send mode with AUTO and keyboard keying
QImage troubleshooting();  // a silent device and the port list

}  // namespace manualpictures
