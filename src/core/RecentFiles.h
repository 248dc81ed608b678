#pragma once

#include <QString>
#include <QStringList>

namespace kiramo {

// How many pictures File > Open Recent lists.
inline constexpr int kMaxRecentFiles = 8;

// The list of recent files, newest first, after `path` was opened or saved: `path` at the
// front, an earlier entry of the same path gone, at most kMaxRecentFiles entries. An empty
// `path` changes nothing but what recentFileList tidies.
[[nodiscard]] QStringList pushRecentFile(const QStringList& list, const QString& path);

// `stored` as a list of recent files: empty entries and repeats dropped (the first kept), at
// most kMaxRecentFiles entries. What a settings file holds may have been edited by hand.
[[nodiscard]] QStringList recentFileList(const QStringList& stored);

}  // namespace kiramo
