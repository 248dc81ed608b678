#pragma once

namespace kiramo {

class Form1;
class InstanceChannel;

// What a KIRAMO started later asks of the running one: a capture (`kiramo --capture`).
inline constexpr char kCaptureRequest[] = "capture";

// Makes `form` take what later starts hand over on `channel`. A capture starts unless one is
// under way already or a dialog of this KIRAMO waits for an answer; then the request is
// dropped, as a Capture command would be.
void takeLaterStarts(InstanceChannel& channel, Form1& form);

}  // namespace kiramo
