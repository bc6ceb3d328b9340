#include "platform/files/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tqen::files {

namespace {

// Every failure of this file: the system's reason, for the caller to put
// under its own text.
Error failed(const QString &why) { return Error(Error::Code::FileFailed, why); }

}  // namespace

QString applicationFolder() {
    return QCoreApplication::applicationDirPath();
}

QString userDataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

quint64 fileIdentity(const QString &path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return quint64(st.st_dev) << 40 ^ quint64(st.st_ino);
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

Error copyFile(const QString &from, const QString &to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("%1 を開けません: %2").arg(from, in.errorString()));
    if (QFileInfo(from).canonicalFilePath() == QFileInfo(to).canonicalFilePath())
        return failed(QStringLiteral("コピー元とコピー先が同じファイルです: %1").arg(to));
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return failed(QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString()));
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        // The reason is read before cancelWriting(), which puts its own text
        // in its place.
        if (n < 0) {
            const Error why = failed(QStringLiteral("%1 を読めません: %2").arg(from, in.errorString()));
            out.cancelWriting();
            return why;
        }
        if (n == 0) break;
        if (out.write(buffer, n) != n) {
            const Error why = failed(QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString()));
            out.cancelWriting();
            return why;
        }
    }
    if (!out.commit()) return failed(QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString()));
    return {};
}

namespace {

Error cannotWrite(const QString &path, const QString &why) {
    return failed(QStringLiteral("%1 に書き込めません: %2").arg(path, why));
}
Error cannotRead(const QString &path, const QString &why) {
    return failed(QStringLiteral("%1 を読めません: %2").arg(path, why));
}

// Copies up to length bytes (all when negative) from in to out.
Error pump(QFile &in, QFileDevice &out, qint64 length) {
    char buffer[1 << 16];
    while (length != 0) {
        const qint64 want = length < 0 ? qint64(sizeof buffer) : std::min<qint64>(length, sizeof buffer);
        const qint64 n = in.read(buffer, want);
        if (n < 0) return cannotRead(in.fileName(), in.errorString());
        if (n == 0) break;
        if (out.write(buffer, n) != n) return cannotWrite(out.fileName(), out.errorString());
        if (length > 0) length -= n;
    }
    if (length > 0) return cannotRead(in.fileName(), QStringLiteral("ファイルが短すぎます"));
    return {};
}

bool syncFolderOf(const QString &path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

Error copyRange(const QString &from, qint64 offset, qint64 length, const QString &to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return cannotRead(from, in.errorString());
    if (!in.seek(offset)) return cannotRead(from, in.errorString());
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) return cannotWrite(to, out.errorString());
    const Error error = pump(in, out, length);
    if (!error.ok()) {
        out.cancelWriting();
        return error;
    }
    if (!out.commit()) return cannotWrite(to, out.errorString());
    return {};
}

Error appendFile(const QString &from, const QString &to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return cannotRead(from, in.errorString());
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append)) return cannotWrite(to, out.errorString());
    Error error = pump(in, out, -1);
    if (error.ok() && (!out.flush() || ::fsync(out.handle()) != 0)) error = cannotWrite(to, out.errorString());
    return error;
}

Error writeFile(const QString &path, const QByteArray &bytes) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return cannotWrite(path, out.errorString());
    return {};
}

QByteArray readHead(const QString &path, qint64 maxBytes, Error *error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = cannotRead(path, in.errorString());
        return {};
    }
    return in.read(maxBytes);
}

Error removeFile(const QString &path) {
    if (!QFileInfo::exists(path)) return {};
    QFile f(path);
    if (!f.remove()) return failed(QStringLiteral("%1 を削除できません: %2").arg(path, f.errorString()));
    return {};
}

Error renameOver(const QString &from, const QString &to) {
    {
        QFile f(from);
        if (!f.open(QIODevice::ReadWrite) || ::fsync(f.handle()) != 0) return cannotWrite(from, f.errorString());
    }
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return cannotWrite(to, QString::fromLocal8Bit(std::strerror(errno)));
    syncFolderOf(to);
    return {};
}

QStringList fileNames(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

Error makeFolder(const QString &path) {
    if (!QDir().mkpath(path)) return cannotWrite(path, QStringLiteral("フォルダを作れません"));
    return {};
}

Error removeFolder(const QString &path) {
    if (!QFileInfo(path).isDir()) return {};
    if (!QDir(path).removeRecursively()) return failed(QStringLiteral("%1 を削除できません").arg(path));
    return {};
}

}  // namespace tqen::files
