#pragma once

#include <QString>

#include <functional>

namespace kiramo {

class Prompts;
class WorkProgress;

// How long work may go on before its progress window comes (milliseconds).
inline constexpr int kProgressDelayMs = 500;

// Runs `work` on a thread of its own and returns once it has ended, while this thread's event
// loop goes on: the windows repaint and timers run. The user's input waits meanwhile and is
// taken after the work, so that no second command starts in the middle of it; but work that
// goes on beyond kProgressDelayMs gets a progress window (Prompts::showProgress) modal to the
// main window, saying `text`, showing `progress` and offering Cancel, which abandons
// `progress`: the work is to look at that and stop early. When the program is quit meanwhile,
// this still returns only after the work has ended.
void runOffUiThread(Prompts& prompts, const QString& text, WorkProgress& progress,
                    const std::function<void()>& work);

}  // namespace kiramo
