#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace kiramo {

// Starts other programs and opens web pages. Programs are started detached, never through a
// shell: each argument reaches the program whole, whatever blanks or shell characters it holds.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts `program` without waiting for it; false when it could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Opens `url` with the system's default handler (a browser for http and file pages).
    virtual bool openUrl(const QUrl& url) = 0;
};

// A command from the association table ("program" or "program -option") with a file added as
// one more argument: the program and its arguments, ready for startDetached. Quotes in the
// command group words as a shell would; the file is never split. A program given by a relative
// path with a folder in it ("./rec", "sub/rec", "sub\rec") is taken from `commandFolder`, the
// folder of the file that holds the command, never from the current folder; a bare name is
// looked up on PATH when it starts.
struct CommandLine {
    QString program;
    QStringList arguments;
};
[[nodiscard]] CommandLine commandWithFile(const QString& command, const QString& file,
                                          const QString& commandFolder);

class QtProgramStarter final : public ProgramStarter {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
    bool openUrl(const QUrl& url) override;
};

}  // namespace kiramo
