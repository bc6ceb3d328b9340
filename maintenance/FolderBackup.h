#pragma once
// The backup to a folder (a USB stick, a network folder): the data file in
// use is copied consistently, packed into one archive named by the time,
// TqenData-YYYYMMDD-HHMM.lzh, and tested; then only the newest N archives of
// that name stay in the folder. A restore from such an archive takes the same
// safe path as the floppy restore: extract beside the data file, check that
// it opens as a data database, take a safety snapshot, rename it into place.
#include "model/BackupSettings.h"
#include "platform/error/Error.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class QWidget;

namespace tqen::maintenance {

class FolderBackup {
public:
    // Name of the archive made at a time.
    static QString archiveName(const QDateTime &at);
    // True for a name archiveName gives (ASCII case ignored).
    static bool isArchiveName(const QString &name);
    // Our archives in a folder, newest first; other files are never listed.
    static QStringList archivesIn(const QString &folder);

    // Backs up dataFile into folder as archiveName(now), tests the archive
    // and removes our archives beyond the newest `keep`. *written receives
    // the archive's path. Nothing is shown to the user.
    static Error backup(const QString &dataFile, const QString &folder, int keep, const QDateTime &now,
                        QString *written = nullptr);

    // Restores the data file in use (G().DataDbPath) from an archive made by
    // backup(). owner gets the archiver's messages and any failure; the old data file stays
    // untouched on any failure, and a snapshot of it is taken before the
    // rename.
    static Error restore(const QString &archivePath, QWidget *owner);

    // At start-up: when the daily backup is due, backs up the data file in
    // use with the stored settings and records the time. Only a failure is
    // shown to the user (through owner); the program starts either way.
    static Error atStart(QWidget *owner, const QDateTime &now = QDateTime::currentDateTime());
    // Backs up with the given settings and stores them with the new time.
    static Error backupNow(BackupSettings &settings, const QDateTime &now, QString *written = nullptr);
};

}  // namespace tqen::maintenance
