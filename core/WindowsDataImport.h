#pragma once
// Bringing in a data file of the Windows program (an Access/Jet file): its
// tables 営業日報, 顧客マスタ, コードマスタ and TqHint are read row by row
// into a new data file of ours beside it, named "…-converted.mdb". The
// original is only read. The new file is written under a temporary name and
// takes its name only when whole; a failure leaves nothing behind.
#include "model/Session.h"
#include "platform/error/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTextStream;

namespace tqen {

struct ImportSummary {
    struct Table {
        QString name;
        bool present = false;   // the Windows file has the table
        qlonglong rows = 0;     // rows carried over
        qlonglong skipped = 0;  // rows that could not be read
    };
    QString source;
    QString newPath;
    QList<Table> tables;

    qlonglong skipped() const;
    // For the office worker: rows per table, rows skipped, the new file.
    QString text() const;
};

// The tables carried over, in this order.
QStringList ImportedTables();

// The new file's name beside jetPath: "name-converted.mdb", or
// "name-converted-2.mdb" and so on when that exists already (an earlier
// conversion may hold work done since).
QString ConvertedPathFor(const QString &jetPath);

// Converts; on success the summary names the new file.
Error ImportWindowsDataFile(const QString &jetPath, ImportSummary *summary);

// Makes path the data file: the settings' DataPath (saved in the work
// database) and the paths in use.
Error UseAsDataFile(model::Session &session, const QString &path);

// `PrjTqen --import FILE`: converts FILE, prints the summary on out (or the
// failure on err) and makes the new file the data file of the work database
// in dataFolder. The exit code: 0 done, 1 failed, 2 not a Windows data file.
int RunImportCommand(const QString &jetPath, const QString &dataFolder, QTextStream &out, QTextStream &err);

}  // namespace tqen
