#pragma once

#include "core/AppState.h"
#include "core/DrawnGrid.h"
#include "platform/Services.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kiramo {

class SizeLabel;
class Surface;

// What the commands work on: the canvas `P1`, its committed copy `P2`, the selection `L1`, the
// caption's subject, the program's state and its services. The main window owns it and tells
// it, through the hooks, how the window follows the canvas; no command needs the window itself.
class Workspace {
public:
    struct WindowHooks {
        std::function<void()> fitWindowToCanvas;          // the window around the canvas
        std::function<void(const QString&)> showCaption;  // the whole caption text
        std::function<void()> enableImageCommands;        // once the canvas holds an image
    };

    Workspace(const Services& services, Surface* canvas, SizeLabel* selection, WindowHooks hooks);
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    Services services;
    AppState state;
    Surface* const P1;  // the canvas
    QImage P2;          // the last committed copy of the canvas
    SizeLabel* const L1;

    // P2 takes the canvas and the window is fitted around it.
    void CommitCanvas();
    // The second half of CommitCanvas alone, for when P2 already holds the canvas.
    void fitWindowToCanvas();
    // Enables the commands that need an image; nothing disables them again.
    void EnableImageCommands();

    // A new picture on the canvas (a load, a capture, a paste): the canvas is committed and the
    // image commands enabled. With a subject, the caption names it. The selection is left as
    // it is.
    void showNewPicture(const QImage& picture, const std::optional<QString>& subject);

    // The caption: `subject` + " Mode:" + the current mode's name + the notice. The subject is
    // kept, so that a mode change rewrites the caption whatever characters the subject holds.
    void setCaption(const QString& subject);
    // Rewrites the caption for the current mode.
    void refreshCaption();
    // What the caption names before " Mode:".
    [[nodiscard]] const QString& subject() const { return m_subject; }

    // True when `name` may be written: no file of that name exists, hidden ones included, or
    // the user says yes to replacing it (No is the default button).
    [[nodiscard]] bool mayReplace(const QString& name);

    // Starts `program` without waiting; when it cannot be started, a beep and
    // "<program> を起動できません". False then.
    bool startProgram(const QString& program, const QStringList& arguments);

    [[nodiscard]] bool hasSelection() const;
    void hideSelection();
    // The canvas pixels that the selection covers (black where it reaches beyond the canvas),
    // or the whole canvas without a selection. A null image when the selection rounds to no
    // pixel (a single click leaves a selection of one twip).
    [[nodiscard]] QImage selectedImage() const;

    // The grids drawn on the canvas since its picture came, in drawing order, and that picture
    // without them: a printout draws them as lines over it. The canvas pixels are not touched.
    // CommitCanvas marks the grids committed; a new picture forgets them all.
    void recordGrid(const Grid& grid, GridSpacing spacing);
    [[nodiscard]] const QList<DrawnGrid>& drawnGrids() const { return m_grids; }
    [[nodiscard]] const QImage& gridlessPicture() const { return m_gridless; }
    // Grid Clear: the grids drawn since the last commit are gone.
    void forgetUncommittedGrids();

private:
    WindowHooks m_hooks;
    QImage m_gridless;
    QList<DrawnGrid> m_grids;
    QString m_subject;  // what the caption names before " Mode:"; "" at start-up
};

}  // namespace kiramo
