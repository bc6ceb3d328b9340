#pragma once
// A writable copy of a delivered data file (build/bin/data) in a test's
// temporary folder.
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace tqen::testing {

// The copy's path, or an empty text when the copy failed.
inline QString copyDeliveredFile(const QTemporaryDir &dir, const QString &name) {
    const QString to = dir.filePath(name);
    if (!QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/") + name, to)) return {};
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

}  // namespace tqen::testing
