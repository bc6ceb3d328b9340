#include "platform/drives/DriveTable.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextStream>

#include <sys/stat.h>
#include <unistd.h>

namespace tqen::drives {

namespace {

// The drive letter of a drive text, upper case, or 0 when it names none.
QChar letterOf(const QString &drive) {
    const QString t = drive.trimmed();
    if (t.isEmpty() || !t[0].isLetter() || t[0].unicode() > 0x7f) return {};
    if (t.size() > 1 && t[1] != u':') return {};
    if (t.size() > 3) return {};
    return t[0].toUpper();
}

// The lines of the drive configuration that are not blank or comments.
QStringList configLines() {
    QStringList out;
    QFile f(configPath());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return out;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#')) out << line;
    }
    return out;
}

// A path field of fstab or mountinfo: blanks and backslashes are written as
// three-digit octal escapes ("\040").
QString unescapeMountField(const QByteArray &field) {
    QByteArray out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int v = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && v < 256) {
                out += char(v);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QDir::cleanPath(QString::fromUtf8(out));
}

// The mount points (field `column`, counted from 0) of a table file.
bool tableLists(const QString &path, int column, const QString &folder) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > column && unescapeMountField(fields[column]) == folder) return true;
    }
    return false;
}

QString fstabPath() {
    const QString env = qEnvironmentVariable("TQEN_FSTAB");
    return env.isEmpty() ? QStringLiteral("/etc/fstab") : env;
}

// True when a "key = A, B" line of the table names the drive's letter.
bool tableNames(const QString &key, QChar letter) {
    for (const QString &line : configLines()) {
        const int eq = line.indexOf(u'=');
        if (eq <= 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
        for (const QString &d : line.mid(eq + 1).split(u',', Qt::SkipEmptyParts))
            if (letterOf(d) == letter) return true;
    }
    return false;
}

// The folders under which the desktop and the administrator mount media.
const QStringList &mediaRoots() {
    static const QStringList roots = {QStringLiteral("/media"), QStringLiteral("/run/media"), QStringLiteral("/mnt")};
    return roots;
}

// The root of mediaRoots() that the folder lies strictly below, or empty.
QString mediaRootAbove(const QString &folder) {
    for (const QString &root : mediaRoots())
        if (folder.startsWith(root + u'/') && folder.size() > root.size() + 1) return root;
    return {};
}

}  // namespace

bool isRemovable(const QString &drive) {
    const QChar letter = letterOf(drive);
    if (letter.isNull()) return false;
    if (tableNames(QStringLiteral("fixed"), letter)) return false;
    if (tableNames(QStringLiteral("removable"), letter)) return true;
    // The floppy drives of the system's paths.
    if (letter == u'A' || letter == u'B') return true;
    const QString folder = folderOf(drive);
    // The root file system is listed in the table too, and is never taken out.
    if (folder.isEmpty() || folder == QStringLiteral("/")) return false;
    return tableLists(fstabPath(), 1, folder) || !mediaRootAbove(folder).isEmpty();
}

bool isOnMountedMedium(const QString &folder) {
    if (folder.isEmpty()) return false;
    const QFileInfo info(folder);
    if (!info.isDir()) return false;
    // The path as written and as the links resolve: either may lie on a medium.
    for (const QString &path : {QDir::cleanPath(info.absoluteFilePath()), info.canonicalFilePath()}) {
        if (path.isEmpty()) continue;
        // Below a mount point of the file-system table (not the root), that
        // mount point must be mounted.
        for (QString p = path; p.size() > 1; p = QFileInfo(p).path()) {
            if (tableLists(fstabPath(), 1, p)) {
                if (!isMountPoint(p)) return false;
                break;
            }
        }
        // Below /media, /run/media or /mnt, some folder between that root and
        // the folder itself must be a mount point.
        if (const QString root = mediaRootAbove(path); !root.isEmpty()) {
            bool mounted = false;
            for (QString p = path; p.size() > root.size(); p = QFileInfo(p).path())
                if (isMountPoint(p)) {
                    mounted = true;
                    break;
                }
            if (!mounted) return false;
        }
    }
    return true;
}

bool isMountPoint(const QString &folder) {
    const QFileInfo info(folder);
    if (!info.isDir()) return false;
    const QString path = info.canonicalFilePath();
    if (path == QStringLiteral("/")) return true;
    struct stat self {}, parent {};
    if (::stat(QFile::encodeName(path).constData(), &self) == 0 &&
        ::stat(QFile::encodeName(path + QStringLiteral("/..")).constData(), &parent) == 0 &&
        self.st_dev != parent.st_dev)
        return true;
    // A bind mount or a second mount of the same file system keeps the device.
    return tableLists(QStringLiteral("/proc/self/mountinfo"), 4, path);
}

QString configPath() {
    const QString env = qEnvironmentVariable("TQEN_DRIVES");
    if (!env.isEmpty()) return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/tqen/drives.conf");
}

QString folderOf(const QString &drive) {
    const QChar letter = letterOf(drive);
    if (letter.isNull()) return {};
    QString folder;
    QFile f(configPath());
    if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&f);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.isEmpty() || line.startsWith(u'#')) continue;
            const int eq = line.indexOf(u'=');
            if (eq <= 0) continue;
            if (letterOf(line.left(eq)) != letter) continue;
            folder = line.mid(eq + 1).trimmed();
        }
    }
    if (folder.isEmpty() && letter == u'C') folder = QDir::homePath();
    if (folder.isEmpty()) return {};
    folder = QDir::cleanPath(folder);
    return folder;
}

QString toLocalPath(const QString &windowsPath) {
    QString p = windowsPath;
    if (p.size() >= 2 && p[1] == u':' && !letterOf(p.left(2)).isNull()) {
        const QString folder = folderOf(p.left(2));
        if (folder.isEmpty()) return {};
        QString rest = p.mid(2);
        rest.replace(u'\\', u'/');
        if (!rest.startsWith(u'/')) rest.prepend(u'/');
        if (folder == "/") return rest;
        return folder + rest;
    }
    p.replace(u'\\', u'/');
    return p;
}

bool goodDrive(const QString &drive) {
    const QString folder = folderOf(drive);
    if (folder.isEmpty()) return false;
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !QDir(folder).isReadable()) return false;
    // The empty mount point of a removable drive is a folder of the disk
    // below it: writing there would put the backup on the wrong medium.
    return !isRemovable(drive) || isMountPoint(folder);
}

bool writeTest(const QString &drive) {
    // Same rule as goodDrive: an empty mount point is no writable medium.
    if (!goodDrive(drive)) return false;
    QTemporaryFile file(folderOf(drive) + QStringLiteral("/.tqen-writetest-XXXXXX"));
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

}  // namespace tqen::drives
