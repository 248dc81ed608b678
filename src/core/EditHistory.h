#pragma once

#include "core/DrawnGrid.h"

#include <QImage>
#include <QLine>
#include <QList>
#include <QString>

#include <deque>
#include <optional>

// Undo and Redo of the canvas: the steps that took the canvas from one state to the next,
// bounded in number and in bytes, the oldest going first.
namespace kiramo {

// Some pixels of a picture, each with its value before and after a change: a grid's step keeps
// these and not the picture. Pixels are device pixels of the canvas, 32-bit RGB; a pixel may be
// listed twice (where two lines cross), with the same values both times.
class PixelPatch {
public:
    // The pixels near the lines `lines` (end points included) inside `image`: every pixel that
    // an aliased line between the two end points, `margin` pixels wide or less and grown at its
    // ends by as much, can colour (a one-pixel line: margin 1). Records their present values in
    // `image` as the values before.
    [[nodiscard]] static PixelPatch around(const QList<QLine>& lines, const QImage& image,
                                           int margin = 1);

    // The pixels of all `patches`, their values before read from `before` and after from
    // `after`.
    [[nodiscard]] static PixelPatch joined(const QList<const PixelPatch*>& patches,
                                           const QImage& before, const QImage& after);

    // Records the values after from `image` and keeps only the pixels whose value changed.
    void finish(const QImage& image);

    // Writes the values before (undo) or after (redo) into `image`, which must be at least as
    // large as the picture the patch was taken from.
    void writeBefore(QImage& image) const { write(image, m_before); }
    void writeAfter(QImage& image) const { write(image, m_after); }

    [[nodiscard]] bool isEmpty() const { return m_runs.isEmpty(); }
    [[nodiscard]] qint64 bytes() const;

private:
    struct Run {
        int x = 0;  // first pixel
        int y = 0;
        int count = 0;
    };
    void write(QImage& image, const QList<QRgb>& values) const;

    QList<Run> m_runs;
    QList<QRgb> m_before;  // run after run
    QList<QRgb> m_after;
};

// What a step that replaced the whole picture swaps in and out: the canvas, its committed copy,
// the picture as it arrived with the grids drawn on it, the caption's subject and the file.
struct CanvasSnapshot {
    QImage picture;
    QImage committed;
    QImage gridless;
    QList<DrawnGrid> grids;
    QString subject;
    QString currentFile;

    // Bytes of the pictures, a picture shared by two of them counted once.
    [[nodiscard]] qint64 bytes() const;
};

// One change of the canvas, holding what it takes to go back (and forth again).
struct EditStep {
    enum class Kind {
        Grid,       // a grid drawn: `pixels`, and the grid that it added
        GridClear,  // back to the committed canvas: `canvas` holds the other canvas, `grids` the
                    // grids that the cleared canvas lacks
        Picture,    // a new picture: `snapshot` holds the other state
    };
    Kind kind = Kind::Grid;
    // A menu caption (context "Form1Menus"): what the step did, as the menu named it.
    const char* label = "";
    PixelPatch pixels;
    QImage canvas;
    // Grid: the grid it drew while undone. GridClear: the grids it took away while done.
    QList<DrawnGrid> grids;
    std::optional<CanvasSnapshot> snapshot;
    // The committed copy held this step's result when the canvas was last committed, so going
    // back and forth changes the committed copy as it changes the canvas.
    bool committed = false;
    quint64 id = 0;  // set by the history

    [[nodiscard]] qint64 bytes() const;
};

// The steps that can be undone, newest last, and those that can be redone. At most `maxSteps`
// steps and `maxBytes` bytes (both stacks together) are kept; the oldest undo steps go first,
// then the farthest redo steps, but the newest step is always kept.
class EditHistory {
public:
    static constexpr int kMaxSteps = 20;
    static constexpr qint64 kMaxBytes = qint64(1) << 30;

    explicit EditHistory(int maxSteps = kMaxSteps, qint64 maxBytes = kMaxBytes);

    // A new change: the steps that could be redone are gone.
    void push(EditStep step);

    [[nodiscard]] bool canUndo() const { return !m_undo.empty(); }
    [[nodiscard]] bool canRedo() const { return !m_redo.empty(); }
    // The step that Undo (Redo) takes back (does again), to be changed in place into what the
    // other direction needs, then moved with stepBack() (stepForward()).
    [[nodiscard]] EditStep& undoStep() { return m_undo.back(); }
    // The `count` newest steps that can be undone, oldest first, when there are as many.
    [[nodiscard]] QList<const EditStep*> newestSteps(qsizetype count) const;
    [[nodiscard]] EditStep& redoStep() { return m_redo.back(); }
    [[nodiscard]] const char* undoLabel() const { return canUndo() ? m_undo.back().label : ""; }
    [[nodiscard]] const char* redoLabel() const { return canRedo() ? m_redo.back().label : ""; }
    void stepBack();
    void stepForward();

    // The canvas was committed: every step done since the picture came is in the committed copy.
    void markCommitted();

    // The present state is the one in the file (loaded or saved).
    void markClean() { m_cleanId = stateId(); }
    // True unless the canvas changed since it was last marked clean, going back and forth
    // included; at start the blank canvas counts as clean.
    [[nodiscard]] bool isClean() const { return m_cleanId == stateId(); }

    [[nodiscard]] int stepCount() const { return int(m_undo.size() + m_redo.size()); }
    [[nodiscard]] qint64 bytes() const;

    // The state the canvas is in: the id of the last step done, or of the last one dropped.
    // Equal ids, equal canvases.
    [[nodiscard]] quint64 stateId() const { return m_undo.empty() ? m_baseId : m_undo.back().id; }

private:
    void keepWithinBounds();

    int m_maxSteps;
    qint64 m_maxBytes;
    std::deque<EditStep> m_undo;  // oldest first
    std::deque<EditStep> m_redo;  // farthest first
    quint64 m_nextId = 1;
    quint64 m_baseId = 0;
    quint64 m_cleanId = 0;
};

}  // namespace kiramo
