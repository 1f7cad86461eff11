#pragma once

// Replacing a file's contents so that a crash, a kill or a full disk at any moment leaves either the old
// file or the new one, never a mixture: the bytes go to a temporary file beside it, reach the disk, and
// only then take the file's place by rename.

#include <QByteArray>
#include <QString>

// False, with the file untouched, when it can't be done: a missing or read-only folder, a read-only file,
// a full disk. A file or folder that nobody may write to counts as read-only even for the superuser, who
// could otherwise replace it: the mark is the user's wish to keep it as it is.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes);
