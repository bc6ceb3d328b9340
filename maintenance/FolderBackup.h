#pragma once
// The backup to a folder as the folder tab and the start-up use it: with the
// stored settings and the data file in use, telling the user where the form
// would. The archives themselves (naming, packing, pruning) are
// backup/FolderArchives.h; a restore takes the pipeline's safe path
// (backup/Restore.h) through the floppy set's DefrostTQ: extract beside the
// data file, check that it opens as a data database, take a safety snapshot,
// rename it into place.
#include "model/BackupSettings.h"
#include "model/Session.h"
#include "platform/error/Error.h"

#include <QDateTime>
#include <QString>

class QWidget;

namespace tqen::maintenance {

class FolderBackup {
public:
    // Restores the session's data file from an archive made by
    // the folder backup. owner gets the archiver's messages and any failure;
    // the old data file stays untouched on any failure, and a snapshot of it
    // is taken before the rename.
    static Error restore(const model::Session &session, const QString &archivePath, QWidget *owner);

    // At start-up: when the daily backup is due, backs up the data file in
    // use with the stored settings and records the time. Only a failure is
    // shown to the user (through owner); the program starts either way.
    static Error atStart(const model::Session &session, QWidget *owner, const QDateTime &now = QDateTime::currentDateTime());
    // Backs up with the given settings and stores them with the new time.
    // Nothing is shown to the user.
    static Error backupNow(const model::Session &session, BackupSettings &settings, const QDateTime &now, QString *written = nullptr);
};

}  // namespace tqen::maintenance
