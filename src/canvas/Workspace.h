#pragma once

#include "core/AppState.h"
#include "core/DrawnGrid.h"
#include "core/EditHistory.h"
#include "core/TwipScale.h"
#include "platform/Services.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLine>
#include <QList>
#include <QObject>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kiramo {

class SizeLabel;
class Surface;

// The screen's twips per device pixel as one value.
[[nodiscard]] inline TwipScale twipScaleOf(const ScreenMetrics& metrics) {
    return TwipScale{.x = metrics.twipsPerPixelX, .y = metrics.twipsPerPixelY};
}

// What the commands work on: the picture on the canvas `P1`, its committed copy `P2`, the
// selection `L1`, the caption's subject, the program's state and its services. It reports to
// the main window by signals (the window fits around the canvas, shows the caption, enables
// the image commands); no command needs the window itself, and commands need the surfaces only
// where a step works on the surface as such.
class Workspace : public QObject {
    Q_OBJECT

public:
    Workspace(const Services& services, Surface* canvas, SizeLabel* selection);
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    Services services;
    AppState state;
    Surface* const P1;  // the canvas
    QImage P2;          // the last committed copy of the canvas
    SizeLabel* const L1;

    // The services by name.
    [[nodiscard]] Prompts& prompts() const { return services.prompts; }
    [[nodiscard]] const AppFolders& folders() const { return services.folders; }
    [[nodiscard]] ProgramStarter& programs() const { return services.programs; }
    // Twips per device pixel of the canvas.
    [[nodiscard]] TwipScale scale() const { return twipScaleOf(services.metrics); }

    // The file the picture came from or was last saved to; "" when untitled.
    [[nodiscard]] const QString& currentFile() const { return state.CurrentFile; }
    void setCurrentFile(const QString& path) { state.CurrentFile = path; }
    // The program associated with the extension `key` (".BMP"); "" when there is none.
    [[nodiscard]] QString associatedCommand(const QString& key) const {
        return state.associations.lookup(key);
    }
    // The current capture mode (name and paper size in centimetres), and whether it is
    // FreeSize, which has no size.
    [[nodiscard]] CaptureMode currentMode() const;
    [[nodiscard]] bool isFreeSize() const { return state.ModeIndex == 0; }

    // The picture on the canvas, with what was drawn on it; device pixels.
    [[nodiscard]] const QImage& picture() const;
    [[nodiscard]] QSize pictureSize() const;
    // The whole picture in twips, at (0, 0).
    [[nodiscard]] QRectF pictureTwips() const;
    // Runs `draw` on the canvas's picture in place and shows the result.
    void drawOnCanvas(const std::function<void(QImage&)>& draw);

    // CommitCanvas: P2 takes the canvas, the grids drawn so far count as committed, and
    // canvasCommitted() asks the window to fit around the canvas.
    void CommitCanvas();
    // Grid Clear's restore: the canvas as last committed, the grids drawn since forgotten. The
    // canvas equals P2 again, so only the window is fitted (canvasCommitted()). A step for
    // Undo when grids were taken away.
    void restoreCommittedCanvas();
    // Enables the commands that need an image (imageCommandsEnabled()); nothing disables them
    // again.
    void EnableImageCommands();

    // A new picture on the canvas (a load, a capture, a paste): the canvas is committed and the
    // image commands enabled. With a subject, the caption names it; with a file, that becomes
    // the current file ("" for none), and a picture from a file has no unsaved changes. The
    // selection is left as it is. One step `step` (a menu caption) for Undo.
    void replacePicture(const QImage& picture, const std::optional<QString>& subject,
                        const char* step = "&Paste",
                        const std::optional<QString>& file = std::nullopt);

    // Draws a grid into the canvas as one step `step` (a menu caption) for Undo, and records it
    // (recordGrid) in `style`. `draw` colours no pixel farther from `pixelLines` (device pixels
    // of the canvas, end points included) than a line of the style's width reaches.
    void drawGridStep(const char* step, const Grid& grid, GridSpacing spacing,
                      const QList<QLine>& pixelLines, const GridStyle& style,
                      const std::function<void(QImage&)>& draw);

    // Undo and Redo: the canvas, its committed copy and its grids as they were before (after)
    // the step; a step that brought a picture also brings back the caption and the file.
    void undo();
    void redo();
    [[nodiscard]] const EditHistory& history() const { return m_history; }
    // False from a load or a save until the canvas changes (Undo and Redo included).
    [[nodiscard]] bool hasUnsavedChanges() const { return !m_history.isClean(); }
    // The canvas is what the current file holds: after a load or a save.
    void markSaved();

    // The caption: `subject` + " Mode:" + the current mode's name + the notice, with a "*" in
    // front while there are unsaved changes. The subject is kept, so that a mode change
    // rewrites the caption whatever characters the subject holds.
    void setCaption(const QString& subject);
    // Rewrites the caption for the current mode.
    void refreshCaption();
    // What the caption names before " Mode:".
    [[nodiscard]] const QString& subject() const { return m_subject; }

    // True when `name` may be written: no file of that name exists, hidden ones included, or
    // the user says yes to replacing it (No is the default button).
    [[nodiscard]] bool mayReplace(const QString& name);
    // Asks for the name of a file to write, `title` on the dialog and `filterText` its filters
    // ("name|patterns|..."), proposing the current file's name with `suffix` (or `untitled`
    // with it): the name chosen, blanks trimmed, once the user may replace it (mayReplace);
    // nothing when the user gave up.
    [[nodiscard]] std::optional<QString> askNameToWrite(const QString& title,
                                                        const QString& filterText,
                                                        const QString& suffix,
                                                        const QString& untitled);

    // Milliseconds since the last load or save (or start-up): how much work a change may hold.
    [[nodiscard]] qint64 msSinceSaved() const { return m_sinceSaved.elapsed(); }

    // Starts `program` without waiting; when it cannot be started, a beep and
    // "<program> を起動できません". False then.
    bool startProgram(const QString& program, const QStringList& arguments);

    [[nodiscard]] bool hasSelection() const;
    void hideSelection();
    // The selection's rectangle in twips of the canvas, fractions kept; only meaningful while
    // there is a selection.
    [[nodiscard]] QRectF selectionTwips() const;
    // The block of picture pixels that the selection covers (see selectionBlock).
    [[nodiscard]] QRect selectionPixels() const;
    // The canvas pixels that the selection covers (black where it reaches beyond the canvas),
    // or the whole canvas without a selection. A null image when the selection rounds to no
    // pixel (a single click leaves a selection of one twip).
    [[nodiscard]] QImage selectedImage() const;

    // The grids drawn on the canvas since its picture came, in drawing order, and that picture
    // without them: a printout draws them as lines over it. The canvas pixels are not touched.
    // CommitCanvas marks the grids committed; a new picture forgets them all.
    void recordGrid(const Grid& grid, GridSpacing spacing, const GridStyle& style = {});
    [[nodiscard]] const QList<DrawnGrid>& drawnGrids() const { return m_grids; }
    [[nodiscard]] const QImage& gridlessPicture() const { return m_gridless; }
    // The picture as it goes on paper: as it arrived, without grid pixels; before any picture
    // arrived, the committed canvas.
    [[nodiscard]] const QImage& paperPicture() const {
        return m_gridless.isNull() ? P2 : m_gridless;
    }

signals:
    // The canvas was committed or restored: the window fits around it.
    void canvasCommitted();
    // Undo or Redo became possible or not, or their steps changed.
    void historyChanged();
    // The whole caption text changed.
    void captionChanged(const QString& caption);
    // The canvas holds an image: the commands that need one are enabled.
    void imageCommandsEnabled();
    // The canvas changed: a new picture, a grid, Grid Clear, Undo, Redo.
    void canvasChanged();
    // A new picture is on the canvas, not yet committed: the view may choose its zoom before
    // the window fits around it.
    void pictureArriving();
    // The grids of drawnGrids() changed.
    void gridsChanged();

private:
    [[nodiscard]] CanvasSnapshot snapshot() const;
    void restore(const CanvasSnapshot& snapshot);
    // Takes the step back (forward) and leaves in it what the other direction needs.
    void swapStep(EditStep& step, bool back);
    void commit();
    void historyChange();

    EditHistory m_history;
    QImage m_gridless;
    QList<DrawnGrid> m_grids;
    QString m_subject;  // what the caption names before " Mode:"; "" at start-up
    QElapsedTimer m_sinceSaved;
    void noteChange();
};

}  // namespace kiramo
