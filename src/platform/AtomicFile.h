#pragma once

// Replacing a small file so that nothing is ever lost: the new contents go to
// a new file beside it, which is synced and renamed over the old one only
// once it is complete. A crash at any moment leaves the old file or the whole
// new one; a failure at any step (a full disk, a read-only folder) leaves the
// old file untouched and no temporary file behind.

#include <QByteArray>
#include <QString>

namespace platform {

// Writes `contents` to `path` (through a symbolic link, to the file it names;
// the file keeps its permissions). Returns an empty string on success, else
// one line saying why nothing was changed.
QString replaceFileContents(const QString &path, const QByteArray &contents);

} // namespace platform
