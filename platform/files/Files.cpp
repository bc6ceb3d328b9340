#include "platform/files/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tqen::files {

QString applicationFolder() {
    return QCoreApplication::applicationDirPath();
}

bool fileExists(const QString &path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool folderExists(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString resolveCase(const QString &path) {
    if (path.isEmpty() || QFileInfo::exists(path)) return path;
    const QFileInfo info(path);
    const QDir dir = info.dir();
    if (!dir.exists()) return path;
    const QString wanted = info.fileName();
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return dir.filePath(name);
    }
    return path;
}

qint32 fileSize(const QString &path) {
    // Asked of the file system, so a file that cannot be read still has its size.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return -1;
    return static_cast<qint32>(static_cast<quint32>(info.size() & 0xffffffff));
}

QString copyFile(const QString &from, const QString &to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 を開けません: %2").arg(from, in.errorString());
    if (QFileInfo(from).canonicalFilePath() == QFileInfo(to).canonicalFilePath())
        return QStringLiteral("コピー元とコピー先が同じファイルです: %1").arg(to);
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString());
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            out.cancelWriting();
            return QStringLiteral("%1 を読めません: %2").arg(from, in.errorString());
        }
        if (n == 0) break;
        if (out.write(buffer, n) != n) {
            out.cancelWriting();
            return QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString());
        }
    }
    if (!out.commit()) return QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString());
    return {};
}

}  // namespace tqen::files
