#include "backup/Restore.h"

#include "backup/Archive.h"
#include "platform/dao/Dao.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"
#include "platform/mdbreader/MdbReader.h"

#include <QFileInfo>

namespace tqen::backup {

namespace {

// Where the archive is unpacked before the file is checked: beside the data
// file, so the final rename stays on one file system.
const QString kWorkFolder = QStringLiteral("tqen-restore.tmp");
const QString kKept = QStringLiteral("データは元のままです。");

Error fileError(const QString &text, const QString &detail) { return Error(Error::Code::FileFailed, text, detail); }

}  // namespace

Restore::Restore(const QString &archivePath, const QString &member, const QString &dataFile)
    : archive_(archivePath), member_(member), target_(dataFile) {}

Restore::~Restore() {
    if (!work_.isEmpty()) files::removeFolder(work_);
}

Error Restore::unpack(QString *report) {
    if (!files::fileExists(archive_))
        return Error(Error::Code::NotFound, QStringLiteral("書庫ファイルがありません。") + kKept, archive_);
    if (const QFileInfo link(target_); link.isSymLink()) {
        target_ = link.canonicalFilePath();
        if (target_.isEmpty())
            return fileError(QStringLiteral("データファイルのリンク先がありません。") + kKept, link.symLinkTarget());
    }
    // This run's temporary: what a killed restore leaves goes at the next start.
    work_ = files::temporaryFor(QFileInfo(target_).absolutePath() + u'/' + kWorkFolder) + u'/';
    const QString noFolder = QStringLiteral("作業フォルダを用意できません。") + kKept;
    if (Error e = files::removeFolder(work_); !e.ok()) return fileError(noFolder, e.text());
    if (Error e = files::makeFolder(work_); !e.ok()) return fileError(noFolder, e.text());
    if (Error e = backup::unpack(archive_, work_, cancelRequested, report); !e.ok()) return e;
    extracted_ = files::resolveCase(work_ + member_);
    return {};
}

bool Restore::isWindowsFile() const { return mdbreader::isJetFile(extracted_); }

Error Restore::replace(const std::function<Error()> &beforeReplace) {
    const QString notData = QStringLiteral("書庫の中身はデータファイルとして使えません。") + kKept;
    if (!files::fileExists(extracted_)) return Error(Error::Code::BadInput, notData, member_);
    if (Error e = dao::checkDatabase(extracted_, dataTables()); !e.ok())
        return Error(Error::Code::BadInput, notData, e.detail());
    if (beforeReplace) {
        if (Error e = beforeReplace(); !e.ok()) return e;
    }
    // A journal left by a writer that crashed on the old file would otherwise
    // be played back into the new one: settle it on the old file first.
    if (files::fileExists(target_ + QStringLiteral("-journal"))) dao::checkDatabase(target_, {});
    if (Error e = files::renameOver(extracted_, target_); !e.ok())
        return fileError(QStringLiteral("データファイルを置き換えられませんでした。") + kKept, e.text());
    return {};
}

}  // namespace tqen::backup
