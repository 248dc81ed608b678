#pragma once

#include <QtGlobal>

#include <algorithm>
#include <atomic>

namespace kiramo {

// How far a piece of work on another thread has come, and whether it is asked to stop. The
// worker counts its steps and looks at abandoned() between them; the thread that waits reads
// permille() and calls abandon(), each at any time.
class WorkProgress {
public:
    // The work has `total` steps (bytes, rows); 0 while that is not known.
    void setTotal(qint64 total) { m_total.store(std::max<qint64>(total, 0)); }
    void advance(qint64 steps) { m_done.fetch_add(steps); }
    // 0..1000, or -1 while the total is not known.
    [[nodiscard]] int permille() const {
        const qint64 total = m_total.load();
        if (total <= 0) {
            return -1;
        }
        return static_cast<int>(std::clamp<qint64>(m_done.load() * 1000 / total, 0, 1000));
    }

    void abandon() { m_abandon.store(true); }
    [[nodiscard]] bool abandoned() const { return m_abandon.load(); }
    // The flag itself, for code below this layer that takes a plain atomic.
    [[nodiscard]] const std::atomic_bool& abandonFlag() const { return m_abandon; }

private:
    std::atomic<qint64> m_total{0};
    std::atomic<qint64> m_done{0};
    std::atomic_bool m_abandon{false};
};

}  // namespace kiramo
