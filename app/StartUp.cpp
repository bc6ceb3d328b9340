#include "app/StartUp.h"

#include "backup/Snapshots.h"
#include "core/ProgramFolders.h"
#include "model/BackupSettings.h"
#include "model/Reports.h"
#include "platform/com/ControlHost.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"
#include "platform/unlha/LzhArchive.h"

#include <QDir>
#include <QFile>

namespace tqen {

void StartUp::tell(const QString &text, int style) const {
    forms::interaction().messageBox(screen_, text, forms::mb::OK | style, forms::programTitle());
}

void StartUp::chooseFolders(model::Session &session) const {
    const QString marker = drives::toLocalPath(QStringLiteral("c:\\qmtdevelop.txt"));
    if (files::fileExists(marker)) {
        session.dataFolder = drives::toLocalPath(QStringLiteral("c:\\develop2\\tq\\tqen\\data\\"));
        session.helpFolder = drives::toLocalPath(QStringLiteral("c:\\TqMan\\TqenMan\\"));
        return;
    }
    Error error;
    const ProgramFolders folders = ResolveProgramFolders(applicationFolder_, &error);
    session.dataFolder = folders.data;
    session.helpFolder = folders.help;
    if (!error.ok()) tell(error.message(), forms::mb::Exclamation);
}

void StartUp::chooseWorkDatabase(model::Session &session) {
    session.workDbPath = files::resolveCase(session.dataFolder + QStringLiteral("TqenWork.mdb"));
}

void StartUp::chooseDataDatabase(model::Session &session) {
    session.dataDbPath = session.env.DataPath.isEmpty()
                             ? files::resolveCase(session.dataFolder + QStringLiteral("TqenData.mdb"))
                             : session.env.DataPath;
    session.hintDbPath = session.dataDbPath;
}

void StartUp::removeLeftovers(const model::Session &session) {
    for (const QString &folder :
         {session.dataFolder, backup::Snapshots::inDataFolder(session.dataFolder).folder(), QDir::tempPath()})
        files::removeDeadTemporaries(folder);
    const QString backups = BackupSettings::read(session.workDbPath).Folder;
    for (const QString &folder : {session.dataFolder, backups})
        if (!folder.isEmpty() && files::folderExists(folder))
            unlha::removeStaleTemporaries(QFile::encodeName(folder).toStdString());
}

void StartUp::askServerPasswords() {
    dao::setPasswordSource([](const QString &host, const QString &user) -> std::optional<QString> {
        QString typed;
        if (!forms::interaction().askPassword(
                forms::findForm(QStringLiteral("TqenMain")),
                QStringLiteral("データベースサーバー %1 のユーザー %2 のパスワード:").arg(host, user),
                QStringLiteral("パスワード"), &typed))
            return std::nullopt;
        return typed;
    });
}

bool StartUp::checkDataDatabase(const model::Session &session) const {
    const QString &path = session.dataDbPath;
    const QString reason = model::Reports::unreadableReason(path);
    if (reason.isEmpty()) return true;
    if (dao::isServerUri(path)) {
        tell(QStringLiteral("データベースサーバー %1 に接続できません。\n%2\n\n理由: %3\n\n"
                            "サーバーが動いているか、ネットワークにつながっているかを確かめてください。"
                            "データパスは保守画面で指定し直せます。")
                 .arg(dao::serverHost(path), dao::withoutPassword(path), dao::maskPasswords(reason)),
             forms::mb::Exclamation);
    } else if (dao::isInUseError(reason)) {
        tell(QStringLiteral("データファイルを開けません。\n%1\n\n%2").arg(path, dao::inUseText()), forms::mb::Exclamation);
    } else {
        tell(QStringLiteral("データファイルを開けません。\n%1\n\nファイルが無いか、読めないか、データファイルではありません。"
                            "保守画面でデータファイルを指定し直してください。")
                 .arg(path),
             forms::mb::Exclamation);
    }
    return false;
}

// A data file that opens may still be damaged: it is checked before the
// program's first write, and a damaged one is never written (the search
// index, a registration or deletion).
Error StartUp::refuseDamagedFile(const QString &dataDbPath, const Error &e) const {
    if (e.ok() || dao::isInUseError(e.detail())) return {};
    const Error damaged(Error::Code::BadInput,
                        QStringLiteral("データファイルが壊れているため、書き込みません。\n%1\n\n"
                                       "保守画面でバックアップ（フォルダの書庫かフロッピーディスク）から読み込むか、"
                                       "「元に戻す」で安全のための控えに戻してください。データファイルは元のままです。")
                            .arg(dataDbPath),
                        e.detail());
    tell(damaged.message(), forms::mb::Critical);
    return damaged;
}

void StartUp::tellCalendarMissing(const QString &cellError) const {
    if (cellError.isEmpty()) return;
    tell(QStringLiteral("カレンダーの部品 (MDCAPT32) を読み込めません (%1)。\n%2\n\n"
                        "カレンダーは表示されませんが、日報の入力はできます。")
             .arg(cellError, com::captionLibraryPath()),
         forms::mb::Exclamation);
}

}  // namespace tqen
