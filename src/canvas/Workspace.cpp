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

Workspace::Workspace(const Services& services_, Surface* canvas, SizeLabel* selection,
                     WindowHooks hooks)
    : services(services_)
    , P1(canvas)
    , L1(selection)
    , m_hooks(std::move(hooks)) {
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
    fitWindowToCanvas();
    QTimer::singleShot(0, P1, [this] {
        if (P2.cacheKey() == P1->image().cacheKey()) {
            P1->detachImage();
        }
    });
}

void Workspace::fitWindowToCanvas() {
    m_hooks.fitWindowToCanvas();
}

void Workspace::EnableImageCommands() {
    m_hooks.enableImageCommands();
}

void Workspace::showNewPicture(const QImage& picture, const std::optional<QString>& subject) {
    P1->setImage(picture);
    m_gridless = picture;
    m_grids.clear();
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
    m_hooks.showCaption(captionText(m_subject, state.currentModeName()));
}

bool Workspace::mayReplace(const QString& name) {
    // By its bytes: a name that is not UTF-8 is the file it names, not a name that Qt would
    // turn into another one.
    return fileKind(name) != FileKind::Regular ||
           services.prompts.askYesNo(
               QCoreApplication::translate("Workspace",
                                           "同名ファイル %1 が存在します。上書きしますか？")
                   .arg(name),
               Prompts::Answer::No);  // Enter, or a second Enter after the dialog, keeps the file
}

bool Workspace::startProgram(const QString& program, const QStringList& arguments) {
    if (services.programs.startDetached(program, arguments)) {
        return true;
    }
    services.prompts.beep();
    services.prompts.showMessage(
        QCoreApplication::translate("Workspace", "%1 を起動できません").arg(program));
    return false;
}

void Workspace::recordGrid(const Grid& grid, GridSpacing spacing) {
    m_grids.append(DrawnGrid{grid, spacing, false});
}

void Workspace::forgetUncommittedGrids() {
    m_grids.removeIf([](const DrawnGrid& drawn) { return !drawn.committed; });
}

bool Workspace::hasSelection() const {
    return !L1->isHidden();
}

void Workspace::hideSelection() {
    L1->hide();
}

QImage Workspace::selectedImage() const {
    if (!hasSelection()) {
        return P1->image();
    }
    const ScreenMetrics& m = services.metrics;
    const QRect block = selectionBlock(L1->rect(), m.twipsPerPixelX, m.twipsPerPixelY);
    return copyImageBlock(P1->image(), block.x(), block.y(), block.width(), block.height());
}

}  // namespace kiramo
