#pragma once

namespace kiramo {

class Form1;

// "&Capture": the hourglass, then a new capture window that freezes the screen. Does nothing
// while a capture is already under way.
void startCapture(Form1& form);

}  // namespace kiramo
