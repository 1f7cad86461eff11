#include "settings/AtomicFileWrite.h"

#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace {

bool MarkedReadOnly(const QFileInfo& info) {
  // The mode bits only: WriteUser is what access() answers, which is always yes for the superuser.
  constexpr QFile::Permissions kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return info.exists() && !(info.permissions() & kAnyWrite);
}

}  // namespace

bool ReplaceFileContents(const QString& path, const QByteArray& bytes) {
  const QFileInfo target(path);
  if (target.isDir() || MarkedReadOnly(target) || MarkedReadOnly(QFileInfo(target.absolutePath()))) return false;

  QSaveFile file(path);  // the temporary file beside `path`, renamed over it by commit()
  if (!file.open(QIODevice::WriteOnly)) return false;
  // The data must be on the disk before the rename, or a crash could leave the new name on empty blocks.
  if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
    file.cancelWriting();  // the destructor then removes the temporary file
    return false;
  }
  return file.commit();
}
