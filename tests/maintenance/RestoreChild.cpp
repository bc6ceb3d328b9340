// Runs one maintenance step with every message box answered OK, for the
// tests that kill it half-way:
//   tqen_restore_child DATA_FOLDER/ DRIVES_CONF [STEP [ARGUMENT]]
// STEP: floppy-restore (the default), folder-backup FOLDER, folder-restore
// ARCHIVE, deletion (a safety snapshot, then every report deleted), import
// WINDOWS_FILE. Exits 0 when the step finished.
#include "model/Session.h"
#include "core/WindowsDataImport.h"
#include "maintenance/FddBackup.h"
#include "maintenance/FolderBackup.h"
#include "backup/FolderArchives.h"
#include "backup/Snapshots.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ScriptedInteraction.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    using namespace tqen;
    model::Session session;
    session.dataFolder = QString::fromLocal8Bit(argv[1]);
    session.dataDbPath = session.dataFolder + QStringLiteral("TqenData.mdb");
    session.workDbPath = session.dataFolder + QStringLiteral("TqenWork.mdb");
    qputenv("TQEN_DRIVES", argv[2]);
    forms::ScriptedInteraction operatorAtTheScreen;
    forms::setInteraction(&operatorAtTheScreen);
    const QString step = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("floppy-restore");
    const QString argument = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    if (step == QStringLiteral("floppy-restore"))
        return maintenance::FddBackup(session.dataFolder, QStringLiteral("A:"), nullptr).RestoreTQ().ok() ? 0 : 1;
    if (step == QStringLiteral("folder-backup"))
        return backup::FolderArchives::backup(session.dataDbPath, argument, 100, QDateTime::currentDateTime()).ok() ? 0 : 1;
    if (step == QStringLiteral("folder-restore")) return maintenance::FolderBackup::restore(session, argument, nullptr).ok() ? 0 : 1;
    if (step == QStringLiteral("deletion")) {
        if (!backup::Snapshots::inDataFolder(session.dataFolder).take(session.dataDbPath, QStringLiteral("一括削除")).ok()) return 1;
        auto db = dao::Database::open(session.dataDbPath);
        return db.execute(QStringLiteral("delete * from 営業日報")) ? 0 : 1;
    }
    if (step == QStringLiteral("import")) {
        QTextStream out(stdout), err(stderr);
        return RunImportCommand(argument, session.dataFolder, out, err);
    }
    return 2;
}
