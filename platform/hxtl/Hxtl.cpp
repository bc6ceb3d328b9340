#include "platform/hxtl/Hxtl.h"

#include "platform/drives/DriveTable.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <unistd.h>

namespace tqen::hxtl {

bool goodDrive(const QString &drive) {
    const QString folder = drives::folderOf(drive);
    if (folder.isEmpty()) return false;
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !QDir(folder).isReadable()) return false;
    // The empty mount point of a removable drive is a folder of the disk
    // below it: writing there would put the backup on the wrong medium.
    return !drives::isRemovable(drive) || drives::isMountPoint(folder);
}

bool writeTest(const QString &drive) {
    // Same rule as goodDrive: an empty mount point is no writable medium.
    if (!goodDrive(drive)) return false;
    QTemporaryFile file(drives::folderOf(drive) + QStringLiteral("/.tqen-writetest-XXXXXX"));
    if (!file.open()) return false;
    // A block of varying bytes, so that a read-back of zeros or stale data fails.
    QByteArray block(512, 0);
    for (int i = 0; i < block.size(); ++i) block[i] = char((i * 37 + 11) ^ (i >> 3));
    bool ok = file.write(block) == block.size() && file.flush() && ::fsync(file.handle()) == 0 && file.seek(0) &&
              file.read(block.size()) == block;
    const QString path = file.fileName();
    file.close();
    if (!file.remove() || QFileInfo::exists(path)) ok = false;
    return ok;
}

}  // namespace tqen::hxtl

int GoodDrive(const char *drive) {
    return drive && tqen::hxtl::goodDrive(QString::fromUtf8(drive)) ? 1 : 0;
}

int WriteTest(const char *drive) {
    return drive && tqen::hxtl::writeTest(QString::fromUtf8(drive)) ? 1 : 0;
}
