#pragma once

#include <QString>

class QFile;

namespace kiramo {

// Opens `file` (its name set) for reading when it is a regular file, a link to one included.
// A named pipe, a device, a socket or a folder is refused before anything could block on it or
// read without end: false, with `reason` saying what the name is instead. A file that cannot be
// opened gives false and the system's reason. `reason` never names the file: the caller does.
[[nodiscard]] bool openRegularFile(QFile& file, QString* reason);

// Creates `folder` with every missing folder above it. On failure returns false and sets
// `reason` to the folder that could not be made and the system's reason for it (an existing
// file in the way says so), not the symptom that a later step would see.
[[nodiscard]] bool makeFolders(const QString& folder, QString* reason);

// When `path` is a link that leads nowhere: why a file cannot be made there, naming where it
// points ("… is a link to …, which does not exist"). Empty for anything else.
[[nodiscard]] QString danglingLinkNote(const QString& path);

// Whether `folder` is a folder of this user's that no one else may change: owned by the user
// and not writable by its group or others. A file of a fixed name there cannot have been
// planted by another user (in a folder open to all, such as a copy unpacked into /tmp, it can).
[[nodiscard]] bool isOwnFolder(const QString& folder);

// Makes `folder` a folder that only this user can enter, for files that must not be swapped
// or read by anyone else (the help page, the bitmap handed to other programs). The folders
// above it are made as makeFolders does; `folder` itself is made with owner-only access, and
// an existing one must be a real folder (not a link) owned by this user; access wider than the
// owner's is taken away. False, with `reason` naming the folder, when it is not such a folder.
[[nodiscard]] bool makePrivateFolder(const QString& folder, QString* reason);

}  // namespace kiramo
