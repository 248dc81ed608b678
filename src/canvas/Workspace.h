#pragma once

#include "core/AppState.h"
#include "core/DrawnGrid.h"
#include "core/TwipScale.h"
#include "platform/Services.h"

#include <QImage>
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
    // canvas equals P2 again, so only the window is fitted (canvasCommitted()).
    void restoreCommittedCanvas();
    // Enables the commands that need an image (imageCommandsEnabled()); nothing disables them
    // again.
    void EnableImageCommands();

    // A new picture on the canvas (a load, a capture, a paste): the canvas is committed and the
    // image commands enabled. With a subject, the caption names it. The selection is left as
    // it is.
    void replacePicture(const QImage& picture, const std::optional<QString>& subject);

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
    void recordGrid(const Grid& grid, GridSpacing spacing);
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
    // The whole caption text changed.
    void captionChanged(const QString& caption);
    // The canvas holds an image: the commands that need one are enabled.
    void imageCommandsEnabled();
    // A new picture is on the canvas, not yet committed: the view may choose its zoom before
    // the window fits around it.
    void pictureArriving();
    // The grids of drawnGrids() changed.
    void gridsChanged();

private:
    QImage m_gridless;
    QList<DrawnGrid> m_grids;
    QString m_subject;  // what the caption names before " Mode:"; "" at start-up
};

}  // namespace kiramo
