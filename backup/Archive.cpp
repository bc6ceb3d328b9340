#include "backup/Archive.h"

#include "platform/dao/Dao.h"
#include "platform/dao/Search.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"
#include "platform/unlha/LzhArchive.h"
#include "platform/unlha/Report.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace tqen::backup {

namespace {

std::string local(const QString &path) { return QFile::encodeName(path).toStdString(); }

Error archiveFailed(const QString &text, const unlha::Status &s) {
    return Error(s.error == unlha::Error::Cancelled ? Error::Code::Cancelled : Error::Code::ArchiveFailed,
                 s.error == unlha::Error::Cancelled ? QString() : text, QString::fromStdString(unlha::failureLine(s)));
}

std::vector<const unlha::Member *> allOf(const unlha::LzhArchive &archive) {
    std::vector<const unlha::Member *> all;
    for (const unlha::Member &m : archive.members()) all.push_back(&m);
    return all;
}

}  // namespace

QString memberName() { return QStringLiteral("Tqendata.mdb"); }

QStringList dataTables() {
    return {QStringLiteral("営業日報"), QStringLiteral("顧客マスタ"), QStringLiteral("コードマスタ")};
}

Error pack(const QString &dataFile, const QString &member, const QString &archivePath, Source source,
           QString *report) {
    const QString notMade = QStringLiteral("書庫ファイルを作れませんでした。");
    const QString file = files::resolveCase(dataFile);
    // The copy lies outside the data folder, in a staging folder of this run.
    files::TemporaryFolder stage(QDir::tempPath(), QStringLiteral("tqen-backup"));
    const Error copied = stage.isValid() ? dao::backupTo(file, stage.filePath(member))
                                         : Error(Error::Code::FileFailed, notMade, stage.errorString());
    QString packed = file;
    if (copied.ok()) {
        packed = stage.filePath(member);
        // Should dropping the index fail, the copy is archived whole.
        dao::dropTextIndexes(packed);
    } else if (source == Source::ConsistentCopy) {
        return Error(Error::Code::FileFailed, notMade, copied.detail());
    }

    // The archiver writes beside the archive and renames into place: an
    // archive already there stays as it was on a failure, with its member of
    // that name replaced on success.
    const bool existed = files::fileExists(archivePath);
    std::vector<unlha::AddedMember> added;
    const unlha::Status made =
        unlha::addToArchive(local(archivePath), {{local(packed), member.toStdString()}}, unlha::Method::Lh7, added);
    if (!made.ok()) return archiveFailed(notMade, made);
    // A backup that cannot be read back is no backup.
    unlha::LzhArchive check;
    unlha::Status tested = check.open(local(archivePath));
    if (tested.ok()) tested = check.testMembers(allOf(check), unlha::ExtractLimits::none());
    if (!tested.ok()) {
        if (!existed) files::removeFile(archivePath);
        return archiveFailed(notMade, tested);
    }
    if (report) {
        std::string text;
        for (const unlha::AddedMember &a : added)
            text += unlha::reportLine(a.name, a.originalSize, a.packedSize, unlha::methodId(a.method));
        text += std::to_string(added.size()) + " file(s) stored in " + local(archivePath) + "\n";
        *report = QString::fromStdString(text);
    }
    return {};
}

Error unpack(const QString &archivePath, const QString &folder, const std::function<bool()> &cancelled,
             QString *report) {
    const QString notUnpacked = QStringLiteral("書庫を解凍できませんでした。");
    unlha::LzhArchive archive;
    if (unlha::Status s = archive.open(local(archivePath)); !s.ok()) return archiveFailed(notUnpacked, s);
    const std::vector<const unlha::Member *> all = allOf(archive);
    if (all.empty())
        return archiveFailed(notUnpacked, unlha::Status::fail(unlha::Error::NoMatch, "no member in " + local(archivePath)));
    unlha::ExtractLimits limits;
    limits.cancelled = cancelled;
    if (unlha::Status s = archive.extractMembers(all, local(folder), limits); !s.ok())
        return archiveFailed(notUnpacked, s);
    if (report) {
        std::string text;
        for (const unlha::Member *m : all) text += unlha::reportLine(m->name, m->originalSize, m->packedSize, m->methodId);
        text += std::to_string(all.size()) + " file(s) extracted to " + unlha::printable(local(folder)) + "\n";
        *report = QString::fromStdString(text);
    }
    return {};
}

}  // namespace tqen::backup
