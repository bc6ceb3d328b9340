#pragma once
// The dated archives of the backup to a folder (a USB stick, a network
// folder): the data file is packed into TqenData-YYYYMMDD-HHMM.lzh, and only
// the newest N archives of that name stay in the folder. Nothing here shows
// anything.
#include "platform/error/Error.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tqen::backup {

class FolderArchives {
public:
    // Name of the archive made at a time.
    static QString archiveName(const QDateTime &at);
    // True for a name archiveName gives (ASCII case ignored).
    static bool isArchiveName(const QString &name);
    // Our archives in a folder, newest first; other files are never listed.
    static QStringList archivesIn(const QString &folder);

    // Packs dataFile into folder as archiveName(now) (a consistent copy,
    // tested) and removes our archives beyond the newest `keep`. *written
    // receives the archive's path.
    static Error backup(const QString &dataFile, const QString &folder, int keep, const QDateTime &now,
                        QString *written = nullptr);

    // The refusal for data on a database server, which is no file to pack.
    static Error serverRefusal(const QString &dataDbPath);
};

}  // namespace tqen::backup
