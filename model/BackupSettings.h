#pragma once
// The settings of the backup to a folder, typed: the folder, how many
// archives to keep, whether to back up at start-up once a day, and when the
// last backup was made. They live in their own one-row table of the work
// database, バックアップ設定, so a work file from before that table still
// opens: reading it gives the defaults, and the first write creates the
// table.
#include "platform/error/Error.h"

#include <QDateTime>
#include <QString>

namespace tqen {

struct BackupSettings {
    static constexpr int DefaultKeep = 10;

    // Folder the archives go to (a path of this machine); empty = none chosen.
    QString Folder;
    // Newest archives kept in the folder; at least 1.
    int Keep = DefaultKeep;
    // Back up at start-up when the last backup is older than a day.
    bool Daily = false;
    // Local time of the last backup that succeeded; invalid = never.
    QDateTime LastBackup;

    // Reads the row. A work file without the table gives the defaults and no
    // error; one that cannot be read gives the defaults and an error.
    static BackupSettings read(const QString &workDbPath, Error *error = nullptr);
    // Replaces the row (creating the table when it is missing), in one
    // transaction.
    Error write(const QString &workDbPath) const;

    // True when a daily backup is due at `now`: switched on, a folder chosen,
    // and no backup within the last 24 hours (a last time in the future, from
    // a clock set back, counts as due).
    bool dailyDue(const QDateTime &now) const;
};

}  // namespace tqen
