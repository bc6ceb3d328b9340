#include "maintenance/FolderBackup.h"

#include "backup/Archive.h"
#include "backup/FolderArchives.h"
#include "backup/Snapshots.h"
#include "maintenance/FddBackup.h"
#include "platform/dao/Server.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"

#include <QFileInfo>

namespace tqen::maintenance {

Error FolderBackup::backupNow(const model::Session &session, BackupSettings &settings, const QDateTime &now, QString *written) {
    if (dao::isServerUri(session.dataDbPath)) return backup::FolderArchives::serverRefusal(session.dataDbPath);
    if (Error e = backup::FolderArchives::backup(session.dataDbPath, settings.Folder, settings.Keep, now, written); !e.ok())
        return e;
    settings.LastBackup = now;
    return settings.write(session.workDbPath);
}

Error FolderBackup::restore(const model::Session &session, const QString &archivePath, QWidget *owner) {
    if (dao::isServerUri(session.dataDbPath)) {
        const Error refused = backup::FolderArchives::serverRefusal(session.dataDbPath);
        forms::showError(owner, refused);
        return refused;
    }
    const QString target = session.dataDbPath;
    const QString dataFolder = session.dataFolder;
    const QFileInfo archive(archivePath);
    FddBackup defrost(dataFolder, QString(), owner);
    defrost.beforeReplace = [target, dataFolder] {
        if (!files::fileExists(target)) return Error();
        return backup::Snapshots::inDataFolder(dataFolder).take(target, QStringLiteral("フォルダの書庫からの読込"));
    };
    return defrost.DefrostTQ(archive.absolutePath() + u'/', backup::memberName(), archive.fileName(), target);
}

Error FolderBackup::atStart(const model::Session &session, QWidget *owner, const QDateTime &now) {
    Error read;
    BackupSettings settings = BackupSettings::read(session.workDbPath, &read);
    if (!read.ok() || !settings.dailyDue(now)) return read;
    // Not at each start of a program whose data is on a server: the setting
    // was made for a data file.
    if (dao::isServerUri(session.dataDbPath)) return {};
    // A folder that is not there (a stick left out) skips this start's backup
    // with a line; the next start tries again.
    if (!files::folderExists(settings.Folder) || !drives::isOnMountedMedium(settings.Folder)) {
        forms::interaction().messageBox(
            owner,
            QStringLiteral("保存先のフォルダ %1 がない（媒体がつながっていない）ため、毎日のバックアップは行いませんでした。")
                .arg(settings.Folder),
            forms::mb::OK | forms::mb::Information, forms::programTitle());
        return Error(Error::Code::NotFound, QStringLiteral("毎日のバックアップは行いませんでした。"), settings.Folder);
    }
    Error e = backupNow(session, settings, now);
    if (!e.ok())
        forms::interaction().messageBox(
            owner, QStringLiteral("毎日のバックアップができませんでした。\n") + e.message(),
            forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
    return e;
}

}  // namespace tqen::maintenance
