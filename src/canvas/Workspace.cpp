#include "canvas/Workspace.h"

#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/Caption.h"
#include "core/ImageBlock.h"
#include "core/Selection.h"
#include "platform/NativeNames.h"
#include "platform/ProgramStarter.h"
#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QTimer>

namespace kiramo {

Workspace::Workspace(const Services& services_, Surface* canvas, SizeLabel* selection)
    : services(services_)
    , P1(canvas)
    , L1(selection) {
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
}

void Workspace::CommitCanvas() {
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
    P1->setImage(P2.copy());
    m_grids.removeIf([](const DrawnGrid& drawn) { return !drawn.committed; });
    emit gridsChanged();
    emit canvasCommitted();
}

void Workspace::EnableImageCommands() {
    emit imageCommandsEnabled();
}

void Workspace::replacePicture(const QImage& picture, const std::optional<QString>& subject) {
    P1->setImage(picture);
    m_gridless = picture;
    m_grids.clear();
    emit gridsChanged();
    emit pictureArriving();
    CommitCanvas();
    if (subject) {
        setCaption(*subject);
    }
    EnableImageCommands();
}

void Workspace::setCaption(const QString& subject) {
    m_subject = subject;
    refreshCaption();
}

void Workspace::refreshCaption() {
    emit captionChanged(captionText(m_subject, state.currentModeName()));
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

bool Workspace::startProgram(const QString& program, const QStringList& arguments) {
    if (programs().startDetached(program, arguments)) {
        return true;
    }
    prompts().beep();
    prompts().showMessage(
        QCoreApplication::translate("Workspace", "%1 を起動できません").arg(program));
    return false;
}

void Workspace::recordGrid(const Grid& grid, GridSpacing spacing) {
    m_grids.append(DrawnGrid{grid, spacing, false});
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
