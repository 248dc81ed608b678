#include "core/EditHistory.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace kiramo {

namespace {

// Appends `count` pixels from `from` to `values`.
void appendPixels(QList<QRgb>& values, const QRgb* from, qsizetype count) {
    const qsizetype at = values.size();
    values.resize(at + count);
    std::copy_n(from, count, values.data() + at);
}

// The pixels of row `y` that a line from `a` to `b` drawn `margin` pixels wide (an aliased
// one-pixel line: 1) can colour: the line's ideal course over rows y - margin to y + margin,
// `margin` pixels more on either side.
std::pair<int, int> columnsNear(QLine line, int y, int margin) {
    const QPoint a = line.p1();
    const QPoint b = line.p2();
    if (a.y() == b.y()) {
        return {std::min(a.x(), b.x()) - margin, std::max(a.x(), b.x()) + margin};
    }
    const auto xAt = [&](int row) {
        const int clamped = std::clamp(row, std::min(a.y(), b.y()), std::max(a.y(), b.y()));
        return a.x() + double(clamped - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
    };
    const double x0 = xAt(y - margin);
    const double x1 = xAt(y + margin);
    return {int(std::floor(std::min(x0, x1))) - margin,
            int(std::ceil(std::max(x0, x1))) + margin};
}

}  // namespace

PixelPatch PixelPatch::around(const QList<QLine>& lines, const QImage& image, int margin) {
    PixelPatch patch;
    const int width = image.width();
    const int height = image.height();
    for (const QLine& line : lines) {
        const int top = std::max(0, std::min(line.y1(), line.y2()) - margin);
        const int bottom = std::min(height - 1, std::max(line.y1(), line.y2()) + margin);
        for (int y = top; y <= bottom; ++y) {
            const auto [first, last] = columnsNear(line, y, margin);
            const int left = std::max(0, first);
            const int right = std::min(width - 1, last);
            if (left > right) {
                continue;
            }
            patch.m_runs.append(Run{left, y, right - left + 1});
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            appendPixels(patch.m_before, row + left, right - left + 1);
        }
    }
    return patch;
}

PixelPatch PixelPatch::joined(const QList<const PixelPatch*>& patches, const QImage& before,
                              const QImage& after) {
    PixelPatch joined;
    for (const PixelPatch* patch : patches) {
        joined.m_runs.append(patch->m_runs);
    }
    for (const Run& run : std::as_const(joined.m_runs)) {
        appendPixels(joined.m_before,
                     reinterpret_cast<const QRgb*>(before.constScanLine(run.y)) + run.x, run.count);
        appendPixels(joined.m_after,
                     reinterpret_cast<const QRgb*>(after.constScanLine(run.y)) + run.x, run.count);
    }
    return joined;
}

void PixelPatch::finish(const QImage& image) {
    // Only the stretches of each run whose pixels changed are kept.
    QList<Run> runs;
    QList<QRgb> before;
    QList<QRgb> after;
    qsizetype at = 0;
    for (const Run& run : std::as_const(m_runs)) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(run.y)) + run.x;
        int i = 0;
        while (i < run.count) {
            if (m_before.at(at + i) == row[i]) {
                ++i;
                continue;
            }
            const int start = i;
            while (i < run.count && m_before.at(at + i) != row[i]) {
                ++i;
            }
            runs.append(Run{run.x + start, run.y, i - start});
            appendPixels(before, m_before.constData() + at + start, i - start);
            appendPixels(after, row + start, i - start);
        }
        at += run.count;
    }
    m_runs = std::move(runs);
    m_before = std::move(before);
    m_after = std::move(after);
}

void PixelPatch::write(QImage& image, const QList<QRgb>& values) const {
    qsizetype at = 0;
    for (const Run& run : m_runs) {
        if (run.y >= image.height() || run.x + run.count > image.width()) {
            return;  // not the picture the patch was taken from
        }
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(run.y)) + run.x;
        std::copy_n(values.constData() + at, run.count, row);
        at += run.count;
    }
}

qint64 PixelPatch::bytes() const {
    return qint64(m_runs.size()) * qint64(sizeof(Run)) +
           qint64(m_before.size() + m_after.size()) * qint64(sizeof(QRgb));
}

qint64 CanvasSnapshot::bytes() const {
    std::set<qint64> counted;
    qint64 total = 0;
    for (const QImage* image : {&picture, &committed, &gridless}) {
        if (!image->isNull() && counted.insert(image->cacheKey()).second) {
            total += image->sizeInBytes();
        }
    }
    return total;
}

qint64 EditStep::bytes() const {
    return pixels.bytes() + (canvas.isNull() ? 0 : canvas.sizeInBytes()) +
           (snapshot ? snapshot->bytes() : 0);
}

EditHistory::EditHistory(int maxSteps, qint64 maxBytes)
    : m_maxSteps(maxSteps)
    , m_maxBytes(maxBytes) {
}

void EditHistory::push(EditStep step) {
    m_redo.clear();
    step.id = m_nextId++;
    m_undo.push_back(std::move(step));
    keepWithinBounds();
}

QList<const EditStep*> EditHistory::newestSteps(qsizetype count) const {
    QList<const EditStep*> steps;
    if (count > qsizetype(m_undo.size())) {
        return steps;
    }
    for (auto step = m_undo.end() - count; step != m_undo.end(); ++step) {
        steps.append(&*step);
    }
    return steps;
}

void EditHistory::stepBack() {
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    keepWithinBounds();
}

void EditHistory::stepForward() {
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    keepWithinBounds();
}

void EditHistory::markCommitted() {
    // Steps before the last new picture belong to that picture's committed copy, which the
    // picture's step keeps: they stay as they are.
    for (auto step = m_undo.rbegin(); step != m_undo.rend(); ++step) {
        if (step->kind == EditStep::Kind::Picture) {
            break;
        }
        step->committed = true;
    }
}

qint64 EditHistory::bytes() const {
    qint64 total = 0;
    for (const auto* steps : {&m_undo, &m_redo}) {
        for (const EditStep& step : *steps) {
            total += step.bytes();
        }
    }
    return total;
}

void EditHistory::keepWithinBounds() {
    // A step going back and forth may change its size (the picture it holds is the other one).
    while (stepCount() > 1 && (stepCount() > m_maxSteps || bytes() > m_maxBytes)) {
        if (m_undo.size() > 1 || m_redo.empty()) {
            m_baseId = m_undo.front().id;
            m_undo.pop_front();
        } else {
            m_redo.pop_front();
        }
    }
}

}  // namespace kiramo
