#include "canvas/Workspace.h"

#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/Caption.h"
#include "core/FileNames.h"
#include "core/ImageBlock.h"
#include "core/Selection.h"
#include "platform/NativeNames.h"
#include "platform/ProgramStarter.h"
#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace kiramo {

Workspace::Workspace(const Services& services_, Surface* canvas, SizeLabel* selection)
    : services(services_)
    , P1(canvas)
    , L1(selection) {
    m_sinceSaved.start();
}

CaptureMode Workspace::currentMode() const {
    const std::optional<CaptureMode>& mode = state.modes.mode(state.ModeIndex);
    return mode ? *mode : CaptureMode();
}

const QImage& Workspace::picture() const {
    return P1->image();
}

QSize Workspace::pictureSize() const {
    return P1->imageSize();
}

QRectF Workspace::pictureTwips() const {
    return QRectF(QPointF(0.0, 0.0), scale().toTwips(QSizeF(pictureSize())));
}

void Workspace::drawOnCanvas(const std::function<void(QImage&)>& draw) {
    P1->editImage(draw);
    noteChange();
}

void Workspace::CommitCanvas() {
    commit();
    m_history.markCommitted();
}

void Workspace::commit() {
    // P2 shares the canvas's pixels (QImage is copied on write), so a new picture shows without
    // waiting for a copy. The canvas takes a copy of its own once the event loop is idle, so
    // that the first grid drawn on it does not have to copy the whole image first. Either way
    // P2 keeps what was committed.
    P2 = P1->image();
    for (DrawnGrid& drawn : m_grids) {
        drawn.committed = true;
    }
    emit canvasCommitted();
    QTimer::singleShot(0, P1, [this] {
        if (P2.cacheKey() == P1->image().cacheKey()) {
            P1->detachImage();
        }
    });
}

void Workspace::restoreCommittedCanvas() {
    // The grids drawn since the last commit are the last ones, and what the canvas has more
    // than P2. Where their steps are all still there, the step keeps the pixels they changed;
    // else the canvas taken away goes to the step as it is, without a copy.
    EditStep step;
    step.kind = EditStep::Kind::GridClear;
    step.label = "Grid Clear";
    while (!m_grids.isEmpty() && !m_grids.last().committed) {
        step.grids.prepend(m_grids.takeLast());
    }
    QList<const PixelPatch*> drawn;
    for (const EditStep* grid : m_history.newestSteps(step.grids.size())) {
        if (grid->kind != EditStep::Kind::Grid || grid->committed) {
            drawn.clear();
            break;
        }
        drawn.append(&grid->pixels);
    }
    if (!drawn.isEmpty()) {
        step.pixels = PixelPatch::joined(drawn, P1->image(), P2);
    } else {
        step.canvas = P1->image();
    }
    P1->setImage(P2.copy());
    emit gridsChanged();
    emit canvasCommitted();
    if (!step.grids.isEmpty()) {
        m_history.push(std::move(step));
        historyChange();
    }
    noteChange();
}

void Workspace::EnableImageCommands() {
    emit imageCommandsEnabled();
}

void Workspace::replacePicture(const QImage& picture, const std::optional<QString>& subject,
                               const char* step, const std::optional<QString>& file) {
    EditStep change;
    change.kind = EditStep::Kind::Picture;
    change.label = step;
    change.snapshot = snapshot();
    P1->setImage(picture);
    m_gridless = picture;
    m_grids.clear();
    emit gridsChanged();
    emit pictureArriving();
    // The steps before keep the committed copy of their own picture, which the snapshot holds.
    commit();
    if (file) {
        setCurrentFile(*file);
    }
    m_history.push(std::move(change));
    if (file && !file->isEmpty()) {
        m_history.markClean();
    }
    historyChange();
    if (subject) {
        setCaption(*subject);
    }
    EnableImageCommands();
    noteChange();
}

void Workspace::noteChange() {
    emit canvasChanged();
}

void Workspace::drawGridStep(const char* step, const Grid& grid, GridSpacing spacing,
                             const QList<QLine>& pixelLines, const GridStyle& style,
                             const std::function<void(QImage&)>& draw) {
    EditStep change;
    change.label = step;
    // A line `width` pixels wide reaches at most width / 2 pixels beside (and beyond the end of)
    // its one-pixel course.
    change.pixels = PixelPatch::around(pixelLines, picture(), std::max(1, style.width) + 1);
    drawOnCanvas(draw);
    change.pixels.finish(picture());
    recordGrid(grid, spacing, style);
    change.grids = {m_grids.last()};
    m_history.push(std::move(change));
    historyChange();
}

CanvasSnapshot Workspace::snapshot() const {
    return CanvasSnapshot{.picture = picture(),
                          .committed = P2,
                          .gridless = m_gridless,
                          .grids = m_grids,
                          .subject = m_subject,
                          .currentFile = currentFile()};
}

void Workspace::restore(const CanvasSnapshot& snapshot) {
    P1->setImage(snapshot.picture);
    P2 = snapshot.committed;
    m_gridless = snapshot.gridless;
    m_grids = snapshot.grids;
    setCurrentFile(snapshot.currentFile);
    m_subject = snapshot.subject;
    hideSelection();  // it may lie beyond the picture
    emit gridsChanged();
    emit canvasCommitted();
}

void Workspace::undo() {
    if (!m_history.canUndo()) {
        return;
    }
    swapStep(m_history.undoStep(), true);
    m_history.stepBack();
    historyChange();
    noteChange();
}

void Workspace::redo() {
    if (!m_history.canRedo()) {
        return;
    }
    swapStep(m_history.redoStep(), false);
    m_history.stepForward();
    historyChange();
    noteChange();
}

void Workspace::swapStep(EditStep& step, bool back) {
    // What the step's grids were drawn with is in P2 as well when the step was committed.
    const auto bring = [&](const QList<DrawnGrid>& grids) {
        for (DrawnGrid drawn : grids) {
            drawn.committed = step.committed;
            m_grids.append(drawn);
        }
    };
    switch (step.kind) {
    case EditStep::Kind::GridClear:
        if (step.canvas.isNull()) {
            // Back, the pixels as the grids left them; forth, as committed.
            P1->editImage([&](QImage& image) {
                back ? step.pixels.writeBefore(image) : step.pixels.writeAfter(image);
            });
            if (step.committed) {
                back ? step.pixels.writeBefore(P2) : step.pixels.writeAfter(P2);
            }
        } else {
            const QImage other = P1->image();
            P1->setImage(step.canvas);
            step.canvas = other;
            if (step.committed) {
                P2 = P1->image();
            }
        }
        if (back) {
            bring(step.grids);
        } else {
            m_grids.remove(m_grids.size() - step.grids.size(), step.grids.size());
        }
        break;
    case EditStep::Kind::Grid:
        P1->editImage([&](QImage& image) {
            back ? step.pixels.writeBefore(image) : step.pixels.writeAfter(image);
        });
        if (step.committed) {
            back ? step.pixels.writeBefore(P2) : step.pixels.writeAfter(P2);
        }
        if (back) {
            m_grids.removeLast();
        } else {
            bring(step.grids);
        }
        break;
    case EditStep::Kind::Picture: {
        CanvasSnapshot other = snapshot();
        restore(*step.snapshot);
        step.snapshot = std::move(other);
        break;
    }
    }
    emit gridsChanged();
}

void Workspace::markSaved() {
    m_history.markClean();
    m_sinceSaved.restart();
    historyChange();
}

void Workspace::historyChange() {
    refreshCaption();
    emit historyChanged();
}

void Workspace::setCaption(const QString& subject) {
    m_subject = subject;
    refreshCaption();
}

void Workspace::refreshCaption() {
    // A "*" before the caption marks unsaved changes, as desktop programs do.
    const QString caption = captionText(m_subject, state.currentModeName());
    emit captionChanged(m_history.isClean() ? caption : u'*' + caption);
}

bool Workspace::mayReplace(const QString& name) {
    // By its bytes: a name that is not UTF-8 is the file it names, not a name that Qt would
    // turn into another one.
    return fileKind(name) != FileKind::Regular ||
           prompts().askYesNo(
               QCoreApplication::translate("Workspace",
                                           "同名ファイル %1 が存在します。上書きしますか？")
                   .arg(name),
               Prompts::Answer::No);  // Enter, or a second Enter after the dialog, keeps the file
}

std::optional<QString> Workspace::askNameToWrite(const QString& title, const QString& filterText,
                                                 const QString& suffix, const QString& untitled) {
    FileDialogRequest request;
    request.title = title;
    request.filters = parseFilterText(filterText);
    request.defaultSuffix = suffix;
    const QFileInfo current(currentFile());
    request.initialName = currentFile().isEmpty()
                              ? untitled + u'.' + suffix
                              : current.dir().filePath(current.completeBaseName() + u'.' + suffix);
    request.initialFolder = QDir::currentPath();
    const std::optional<QString> chosen = prompts().askSaveFileName(request);
    if (!chosen) {
        return std::nullopt;
    }
    const QString name = trimBlanks(*chosen);
    if (!mayReplace(name)) {
        return std::nullopt;
    }
    return name;
}

bool Workspace::startProgram(const QString& program, const QStringList& arguments) {
    if (programs().startDetached(program, arguments)) {
        return true;
    }
    prompts().beep();
    prompts().showMessage(
        QCoreApplication::translate("Workspace", "%1 を起動できません").arg(program));
    return false;
}

void Workspace::recordGrid(const Grid& grid, GridSpacing spacing, const GridStyle& style) {
    m_grids.append(DrawnGrid{grid, spacing, false, style});
    emit gridsChanged();
}

bool Workspace::hasSelection() const {
    return !L1->isHidden();
}

void Workspace::hideSelection() {
    L1->hide();
}

QRectF Workspace::selectionTwips() const {
    const LabelRect& r = L1->rect();
    return QRectF(r.left, r.top, r.width, r.height);
}

QRect Workspace::selectionPixels() const {
    return selectionBlock(L1->rect(), scale());
}

QImage Workspace::selectedImage() const {
    if (!hasSelection()) {
        return picture();
    }
    const QRect block = selectionPixels();
    return copyImageBlock(picture(), block.x(), block.y(), block.width(), block.height());
}

}  // namespace kiramo
