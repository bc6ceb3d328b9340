#include "maintenance/FolderBackup.h"

#include "core/Globals.h"
#include "maintenance/FddBackup.h"
#include "maintenance/Snapshots.h"
#include "platform/dao/Server.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Search.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"
#include "platform/unlha/Unlha.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace tqen::maintenance {

namespace {

// The archive holds the data file under the floppy set's member name, so
// either restore finds it.
const QString kMember = QStringLiteral("Tqendata.mdb");
// The archive copied beside the data file for the restore.
const QString kRestoreArchive = QStringLiteral("tqen-folder-restore.lzh");

QString q(const QString &s) { return u'"' + s + u'"'; }

QString withSlash(const QString &folder) { return folder.endsWith(u'/') ? folder : folder + u'/'; }

Error failed(const QString &text, const QString &detail) { return Error(Error::Code::FileFailed, text, detail); }

}  // namespace

QString FolderBackup::archiveName(const QDateTime &at) {
    return QStringLiteral("TqenData-") + at.toString(QStringLiteral("yyyyMMdd-HHmm")) + QStringLiteral(".lzh");
}

bool FolderBackup::isArchiveName(const QString &name) {
    static const QRegularExpression re(QStringLiteral("^TqenData-[0-9]{8}-[0-9]{4}\\.lzh$"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re.match(name).hasMatch();
}

QStringList FolderBackup::archivesIn(const QString &folder) {
    QStringList out;
    for (const QString &name : files::fileNames(folder))
        if (isArchiveName(name)) out << name;
    // The time in the name sorts as text; case is ignored for the order.
    std::sort(out.begin(), out.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) > 0;
    });
    return out;
}

Error FolderBackup::backup(const QString &dataFile, const QString &folder, int keep, const QDateTime &now,
                           QString *written) {
    const QString notSaved = QStringLiteral("フォルダに保存できませんでした。");
    if (folder.isEmpty() || !files::folderExists(folder))
        return Error(Error::Code::NotFound, QStringLiteral("保存先のフォルダがありません。確認してください。"), folder);
    // A USB stick that is not plugged in leaves its empty mount point: the
    // archive would land on the system disk.
    if (!drives::isOnMountedMedium(folder))
        return Error(Error::Code::NotFound,
                     QStringLiteral("保存先のフォルダ %1 のある媒体（USB メモリなど）がつながっていません。確認してください。")
                         .arg(folder),
                     folder);
    if (!files::fileExists(dataFile))
        return Error(Error::Code::NotFound, QStringLiteral("データファイルがありません。"), dataFile);

    // A consistent copy of the data file, also while the program has it open.
    files::TemporaryFolder stage(QDir::tempPath(), QStringLiteral("tqen-backup"));
    if (!stage.isValid()) return failed(notSaved, stage.errorString());
    const QString staged = stage.filePath(kMember);
    if (Error e = dao::backupTo(dataFile, staged); !e.ok()) return failed(notSaved, e.detail());
    // The search index is made from the reports alone, and again when the
    // restored file is first opened: the archive leaves it out. Should that
    // fail, the copy is archived whole.
    dao::dropSearchIndex(staged);

    const QString archive = withSlash(folder) + archiveName(now);
    const bool existed = files::fileExists(archive);
    const QString add = QStringLiteral("a -+ -a1 -d0 -f0 -n0 -jm4 ") + q(archive) + u' ' + q(withSlash(stage.path())) +
                        u' ' + q(kMember);
    const unlha::UnlhaResult made = unlha::runUnlha(add.toStdString());
    if (made.code != 0)
        return Error(Error::Code::ArchiveFailed, notSaved, QString::fromStdString(made.report));
    // A backup that cannot be read back is no backup.
    const unlha::UnlhaResult tested = unlha::runUnlha((QStringLiteral("t ") + q(archive)).toStdString());
    if (tested.code != 0) {
        if (!existed) files::removeFile(archive);
        return Error(Error::Code::ArchiveFailed, notSaved, QString::fromStdString(tested.report));
    }
    if (written) *written = archive;

    const QStringList ours = archivesIn(folder);
    for (int i = std::max(1, keep); i < ours.size(); ++i) {
        if (const QString e = files::removeFile(withSlash(folder) + ours[i]); !e.isEmpty())
            return failed(QStringLiteral("保存しましたが、古い書庫を削除できませんでした。"), e);
    }
    return {};
}

namespace {

// The folder archive holds the data file; a server's database is none.
Error serverRefusal() {
    return Error(Error::Code::BadInput,
                 QStringLiteral("データはデータベースサーバー %1 にあるため、フォルダへのバックアップと読込はできません。"
                                "サーバーのバックアップをお使いください。")
                     .arg(dao::serverHost(G().DataDbPath)),
                 dao::withoutPassword(G().DataDbPath));
}

}  // namespace

Error FolderBackup::backupNow(BackupSettings &settings, const QDateTime &now, QString *written) {
    if (dao::isServerUri(G().DataDbPath)) return serverRefusal();
    if (Error e = backup(G().DataDbPath, settings.Folder, settings.Keep, now, written); !e.ok()) return e;
    settings.LastBackup = now;
    return settings.write(G().WorkDbPath);
}

Error FolderBackup::restore(const QString &archivePath, QWidget *owner) {
    const auto tell = [owner](Error e) {
        forms::interaction().messageBox(owner, e.message(), forms::mb::OK | forms::mb::Critical, forms::programTitle());
        return e;
    };
    if (dao::isServerUri(G().DataDbPath)) return tell(serverRefusal());
    if (!files::fileExists(archivePath))
        return tell(Error(Error::Code::NotFound, QStringLiteral("書庫ファイルがありません。データは元のままです。"), archivePath));
    const QString target = G().DataDbPath;
    const QString workFolder = withSlash(QFileInfo(target).absolutePath());
    // This run's temporary: a killed restore's copy goes at the next start.
    const QString copy = files::temporaryFor(workFolder + kRestoreArchive);
    if (const QString e = files::copyFile(archivePath, copy); !e.isEmpty())
        return tell(failed(QStringLiteral("書庫ファイルを読めませんでした。データは元のままです。"), e));
    FddBackup defrost(QString(), owner);
    defrost.beforeReplace = [target] {
        if (!files::fileExists(target)) return Error();
        return Snapshots::ofProgram().take(target, QStringLiteral("フォルダの書庫からの読込"));
    };
    Error e = defrost.DefrostTQ(workFolder, kMember, QFileInfo(copy).fileName(), target);
    files::removeFile(copy);
    return e;
}

Error FolderBackup::atStart(QWidget *owner, const QDateTime &now) {
    Error read;
    BackupSettings settings = BackupSettings::read(G().WorkDbPath, &read);
    if (!read.ok() || !settings.dailyDue(now)) return read;
    // Not at each start of a program whose data is on a server: the setting
    // was made for a data file.
    if (dao::isServerUri(G().DataDbPath)) return {};
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
    Error e = backupNow(settings, now);
    if (!e.ok())
        forms::interaction().messageBox(
            owner, QStringLiteral("毎日のバックアップができませんでした。\n") + e.message(),
            forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
    return e;
}

}  // namespace tqen::maintenance
