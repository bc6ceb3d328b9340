#include "platform/drives/DriveTable.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

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

}  // namespace

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

}  // namespace tqen::drives
