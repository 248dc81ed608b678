#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

namespace kiramo {

// "<path> cannot be written: <reason>", the path in the platform's spelling.
[[nodiscard]] QString cannotWriteMessage(const QString& path, const QString& reason);

// Whether a symbolic link at the name is followed to the file it names, or replaced itself.
enum class FollowLinks { Yes, No };

// Puts `contents` into the file at `path`, creating it or replacing what it held, so that a
// failure, a kill or a power loss leaves the old file or the complete new one:
// - a symbolic link is followed and the file it names is replaced, as an editor would; with
//   FollowLinks::No (a name of the program's own, which no link of the user's stands for) the
//   link itself is replaced by the file and what it names is left alone, as is a file that
//   has other names (hard links);
// - a folder, a pipe or a device is refused without being opened, as is a file the user may
//   not write;
// - the contents go to a hidden temporary file beside the target, whose name stays within the
//   file system's limit; it is flushed to the disk, given the old file's mode, its group and owner
//   where the user may set them, its access control list and its user attributes, and only
//   then renamed over the target;
// - where no temporary file may be made for lack of permission (a folder the user may not
//   write, holding a file the user may), or where the file has other names (hard links) that
//   a rename would part from it, the file is written in place: first grown to take the new
//   contents, so that a full disk leaves it as it was, then overwritten. Only that last copy
//   can be cut short by a kill or a failing disk; the file is never shorter than before
//   until it holds the whole new contents;
// - no space for a temporary file (a full disk, no free inodes) is a failure, never a reason
//   to write in place.
// - `abandon` (from another thread) is looked at between parts of the writing, up to the
//   rename: once it is set, the temporary file is removed and the old file stays as it was.
//   Writing in place is abandoned only before it begins.
// False on failure, with `error` naming the file and the system's reason; the temporary file is
// gone, and when the old contents could not be kept the message says so.
[[nodiscard]] bool replaceFileContents(const QString& path, const QByteArray& contents,
                                       QString* error, FollowLinks links = FollowLinks::Yes,
                                       const std::atomic_bool* abandon = nullptr);

// The reason replaceFileContents gives for a save that was abandoned.
[[nodiscard]] QString abandonedReason();

}  // namespace kiramo
