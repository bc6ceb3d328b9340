#include "backup/FolderArchives.h"

#include "backup/Archive.h"
#include "platform/dao/Server.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"

#include <QRegularExpression>

#include <algorithm>

namespace tqen::backup {

namespace {

QString withSlash(const QString &folder) { return folder.endsWith(u'/') ? folder : folder + u'/'; }

}  // namespace

QString FolderArchives::archiveName(const QDateTime &at) {
    return QStringLiteral("TqenData-") + at.toString(QStringLiteral("yyyyMMdd-HHmm")) + QStringLiteral(".lzh");
}

bool FolderArchives::isArchiveName(const QString &name) {
    static const QRegularExpression re(QStringLiteral("^TqenData-[0-9]{8}-[0-9]{4}\\.lzh$"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re.match(name).hasMatch();
}

QStringList FolderArchives::archivesIn(const QString &folder) {
    QStringList out;
    for (const QString &name : files::fileNames(folder))
        if (isArchiveName(name)) out << name;
    // The time in the name sorts as text; case is ignored for the order.
    std::sort(out.begin(), out.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) > 0;
    });
    return out;
}

Error FolderArchives::backup(const QString &dataFile, const QString &folder, int keep, const QDateTime &now,
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

    const QString archive = withSlash(folder) + archiveName(now);
    if (Error e = pack(dataFile, memberName(), archive, Source::ConsistentCopy); !e.ok())
        return Error(e.code(), notSaved, e.detail());
    if (written) *written = archive;

    const QStringList ours = archivesIn(folder);
    for (int i = std::max(1, keep); i < ours.size(); ++i) {
        if (Error e = files::removeFile(withSlash(folder) + ours[i]); !e.ok())
            return Error(Error::Code::FileFailed, QStringLiteral("保存しましたが、古い書庫を削除できませんでした。"), e.text());
    }
    return {};
}

Error FolderArchives::serverRefusal(const QString &dataDbPath) {
    return Error(Error::Code::BadInput,
                 QStringLiteral("データはデータベースサーバー %1 にあるため、フォルダへのバックアップと読込はできません。"
                                "サーバーのバックアップをお使いください。")
                     .arg(dao::serverHost(dataDbPath)),
                 dao::withoutPassword(dataDbPath));
}

}  // namespace tqen::backup
