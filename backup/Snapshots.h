#pragma once
// Safety snapshots of the data file: a consistent copy taken with the
// engine's online backup before an operation that rewrites or replaces the
// data (a restore, a bulk deletion, a customer write-back, a copy from another
// disk). The newest ten are kept in the folder "snapshots" of the data
// folder, each with a note of the operation and its row counts, and any of
// them can be put back.
#include "platform/error/Error.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace tqen::backup {

class Snapshots {
public:
    static constexpr int Keep = 10;

    struct Entry {
        QString path;               // the snapshot file
        QDateTime taken;
        QString operation;          // what was about to happen
        qlonglong reports = -1;     // rows of 営業日報
        qlonglong customers = -1;   // rows of 顧客マスタ
        QString dataFile;           // the file it was taken of
    };

    explicit Snapshots(const QString &folder);
    // The folder "snapshots" of a data folder (ending in "/").
    static Snapshots inDataFolder(const QString &dataFolder);
    QString folder() const { return folder_; }

    // Snapshots a data file before an operation; the oldest beyond Keep go.
    Error take(const QString &dataFile, const QString &operation);
    // Newest first.
    QList<Entry> list() const;
    // Puts a snapshot back over the file it was taken of, after a fresh
    // snapshot of that file as it is now.
    Error putBack(const Entry &entry);

    // One line for a list: date, operation and row counts.
    static QString describe(const Entry &entry);

private:
    void prune() const;
    QString folder_;
};

}  // namespace tqen::backup
