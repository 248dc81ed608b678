#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QThread>

#include <memory>

namespace kiramo {

class Workspace;

// The canvas kept for the next run in the user's cache folder (AppFolders::lastPictureFile),
// grids included: written at exit when it holds unsaved changes, and meanwhile, off the UI
// thread, after each change that ends more than kAutosaveAfterMs (setAutosaveAfter) of work
// since the last load, save or keeping, so that a crash or a kill leaves the last one. "Restore
// Last Picture" brings it back.
class LastPicture : public QObject {
    Q_OBJECT

public:
    explicit LastPicture(Workspace& workspace);
    ~LastPicture() override;  // waits for a write under way
    LastPicture(const LastPicture&) = delete;
    LastPicture& operator=(const LastPicture&) = delete;

    // How much work since the last load, save or keeping a change must end to be kept at once.
    static constexpr qint64 kAutosaveAfterMs = 5000;
    void setAutosaveAfter(qint64 ms) { m_autosaveAfterMs = ms; }

    // At exit: with unsaved changes, the canvas is written now (after a write under way).
    void keepAtExit();
    // Returns once no write is under way.
    void waitForWrites();
    // Whether there is a kept picture to restore.
    [[nodiscard]] bool exists() const;
    // "Restore Last Picture": the kept picture becomes the canvas, untitled, as a new picture;
    // the user hears when there is none or it cannot be read.
    void restore();

private:
    void changed();
    void startWrite();
    void writeEnded();

    Workspace& m_workspace;
    qint64 m_autosaveAfterMs = kAutosaveAfterMs;
    std::unique_ptr<QThread> m_writer;
    bool m_again = false;  // a change came while the writer was busy
    bool m_scheduled = false;
    QElapsedTimer m_sinceKept;
};

}  // namespace kiramo
