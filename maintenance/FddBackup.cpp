#include "maintenance/FddBackup.h"

#include "core/Globals.h"
#include "core/WindowsDataImport.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Search.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"
#include "platform/hxtl/Hxtl.h"
#include "platform/mdbreader/MdbReader.h"
#include "platform/unlha/LzhFormat.h"
#include "platform/unlha/Unlha.h"

#include <QLabel>
#include <QRegularExpression>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QWidget>

namespace tqen::maintenance {

namespace mb = forms::mb;

namespace {

const QString kDataFile = QStringLiteral("Tqendata.mdb");
const QString kArchive = QStringLiteral("tqedata.lzh");
const QString kControl = QStringLiteral("Tqectl");
const QString kControlPrefix = QStringLiteral("TqeFddNum = ");
const QString kSaveTitle = QStringLiteral("フロッピーディスクへの保存");
const QString kCheckTitle = QStringLiteral("フロッピーディスクのチェック");
const QString kReadTitle = QStringLiteral("フロッピーディスクの読込");
const QString kNoDisk = QStringLiteral("フロッピーディスクがセットされていません。確認してください。");
const QString kNotWritable = QStringLiteral("フロッピーディスクが書き込み可能ではありません。確認してください。");
const QString kWrongSet = QStringLiteral("フロッピーディスクが違います。確認してください。");
// Where the restore extracts the archive before the file is checked; inside
// the data folder, so the final rename stays on one file system.
const QString kRestoreFolder = QStringLiteral("tqen-restore.tmp");

QString q(const QString &s) { return u'"' + s + u'"'; }

Error fileError(const QString &text, const QString &detail) {
    return Error(Error::Code::FileFailed, text, detail);
}

unlha::UnlhaResult runArchiver(const QString &line) {
    // The entry point the backup has always called, with its report buffer.
    char output[1024];
    const QByteArray utf8 = line.toUtf8();
    unlha::UnlhaResult r;
    r.code = Unlha(nullptr, utf8.constData(), output, sizeof output);
    r.report = output;
    return r;
}

// The same with a way to stop it; the report is cut as the buffer would.
unlha::UnlhaResult runArchiver(const QString &line, const std::function<bool()> &cancelled) {
    if (!cancelled) return runArchiver(line);
    unlha::UnlhaControl control;
    control.cancelled = cancelled;
    unlha::UnlhaResult r = unlha::runUnlha(line.toStdString(), control);
    if (r.report.size() > 1023) {
        std::size_t n = 1023;
        while (n > 0 && (static_cast<unsigned char>(r.report[n]) & 0xC0) == 0x80) --n;
        r.report.resize(n);
    }
    return r;
}

// The set's own files in the data folder: the archive, its control file and
// its pieces (and one more file of the run). A backup or restore that is
// cancelled or fails removes them, so the data folder stays as it was; one
// that succeeds disarms this and keeps what it always kept.
class WorkFiles {
public:
    explicit WorkFiles(const QString &folder, const QString &extra = {}) : folder_(folder), extra_(extra) {}
    void release() { folder_.clear(); }
    ~WorkFiles() {
        if (!extra_.isEmpty()) files::removeFile(extra_);
        if (folder_.isEmpty()) return;
        for (const QString &name : files::fileNames(folder_))
            if (FddBackup::isSetFile(name)) files::removeFile(folder_ + name);
    }
    WorkFiles(const WorkFiles &) = delete;
    WorkFiles &operator=(const WorkFiles &) = delete;

private:
    QString folder_, extra_;
};

}  // namespace

FddBackup::FddBackup(const QString &drive, QWidget *form) : drive_(drive), form_(form) {}

int FddBackup::disksFor(qint64 archiveBytes) { return int((archiveBytes + DiskBytes - 1) / DiskBytes); }

QString FddBackup::pieceName(int number) {
    return QStringLiteral("tqe_d") + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

QString FddBackup::noDiskText(const QString &drive) {
    if (!drives::folderOf(drive).isEmpty()) return kNoDisk;
    // A drive that stands for no folder can never hold a disk: say how to
    // name its folder.
    const QString letter = drive.left(1).toUpper();
    return kNoDisk + QStringLiteral("\n\nドライブ %1: がどのフォルダか決まっていません。%2 に次のような一行を書いてください"
                                    "（フロッピーディスクや USB メモリなら、そのマウント先のフォルダ）。\n%1=/media/floppy")
                         .arg(letter, drives::configPath());
}

bool FddBackup::isSetFile(const QString &name) {
    static const QRegularExpression piece(QStringLiteral("^tqe_d[0-9]{3}$"), QRegularExpression::CaseInsensitiveOption);
    return name.compare(kControl, Qt::CaseInsensitive) == 0 || name.compare(kArchive, Qt::CaseInsensitive) == 0 ||
           piece.match(name).hasMatch();
}

QByteArray FddBackup::controlText(int disks) { return (kControlPrefix + QString::number(disks)).toLatin1(); }

int FddBackup::disksIn(const QByteArray &controlFile) {
    // What follows the 12-character prefix, blanks around the digits ignored;
    // the prefix itself is not checked.
    bool ok = false;
    const int n = QString::fromLatin1(controlFile.left(100)).mid(kControlPrefix.size()).trimmed().toInt(&ok);
    return ok ? n : 0;
}

QStringList FddBackup::dataTables() {
    return {QStringLiteral("営業日報"), QStringLiteral("顧客マスタ"), QStringLiteral("コードマスタ")};
}

int FddBackup::ask(const QString &prompt, const QString &title, int style) {
    return forms::interaction().messageBox(form_, prompt, style, title);
}

bool FddBackup::okCancel(const QString &prompt, const QString &title) {
    return ask(prompt, title, mb::OKCancel | mb::Exclamation) == mb::IdOK;
}

void FddBackup::progress(const QString &text) {
    QLabel *label = form_ ? form_->findChild<QLabel *>(QStringLiteral("FddMsg")) : nullptr;
    if (!label) return;
    label->setText(text);
    label->setVisible(!text.isEmpty());
    if (!text.isEmpty()) forms::DoEvents();
}

Error FddBackup::report(Error e) {
    progress(QString());
    if (!e.ok() && e.code() != Error::Code::Cancelled)
        ask(e.message(), forms::programTitle(), mb::OK | mb::Critical);
    return e;
}

QString FddBackup::onDisk(const QString &name) const {
    const QString folder = drives::folderOf(drive_);
    if (folder.isEmpty()) return QString();
    return files::resolveCase(folder + u'/' + name);
}

FddBackup::Check FddBackup::checkDisk(bool wantWritable) {
    if (!hxtl::goodDrive(drive_)) return okCancel(noDiskText(drive_), kCheckTitle) ? Check::Retry : Check::Stop;
    if (wantWritable && !hxtl::writeTest(drive_))
        return okCancel(kNotWritable, kCheckTitle) ? Check::Retry : Check::Stop;
    return Check::Ok;
}

bool FddBackup::CreateLzhFile(const QString &workFolder, const QString &dataFile, const QString &archive) {
    const QString archivePath = workFolder + archive;
    if (files::fileExists(archivePath)) {
        const QString e = files::removeFile(archivePath);
        if (!e.isEmpty()) {
            ask(QStringLiteral("[書庫ファイル　作成エラー]") + u'\n' + e, forms::programTitle(), mb::OK);
            return false;
        }
        QThread::msleep(300);
    }
    QString line = QStringLiteral("a ") + QStringLiteral("-+ -a1 -d0 -f0 -n0 -jm4") + u' ' + q(archivePath) + u' ' +
                   q(G().DataFolder) + u' ' + q(workFolder);
    for (const QString &entry : {dataFile, QString()}) line += q(entry);
    const unlha::UnlhaResult r = runArchiver(line);
    if (r.code == 0 && files::fileExists(archivePath)) {
        ask(QStringLiteral("[書庫ファイル ＯＫ]") + u'\n' + QString::fromStdString(r.report), forms::programTitle(), mb::OK);
        return true;
    }
    ask(QStringLiteral("[書庫ファイル　作成エラー]"), forms::programTitle(), mb::OK);
    return false;
}

Error FddBackup::FDDBuckUp() {
    const QString folder = G().DataFolder;
    const QString archive = folder + kArchive;
    WorkFiles workFiles(folder);
    // The archive is made from a consistent copy of the data file without
    // the search index, which the restored file makes again from the
    // reports: the index costs no disks. The copy lies outside the data
    // folder, so the archive stores it under its bare name. A file the
    // engine cannot copy is archived as it is.
    files::TemporaryFolder stage(QDir::tempPath(), QStringLiteral("tqen-fdd"));
    const QString staged = stage.path() + u'/';
    if (stage.isValid() && dao::backupTo(files::resolveCase(folder + kDataFile), staged + kDataFile).ok()) {
        dao::dropSearchIndex(staged + kDataFile);
        if (!CreateLzhFile(staged, kDataFile, kArchive)) return Error(Error::Code::ArchiveFailed, QString());
        if (const QString e = files::copyFile(staged + kArchive, archive); !e.isEmpty())
            return report(fileError(QStringLiteral("書庫ファイルを作れませんでした。"), e));
    } else if (!CreateLzhFile(folder, kDataFile, kArchive)) {
        return Error(Error::Code::ArchiveFailed, QString());
    }
    const qint64 size = files::fileSize(archive);
    if (size < 0) return report(fileError(QStringLiteral("書庫ファイルを読めません。"), archive));
    const int n = std::max(1, disksFor(size));

    const QString failedText = QStringLiteral("保存できませんでした。保存を中止します。");
    if (n > 1) {
        for (int i = 1; i <= n; ++i) {
            const qint64 length = i < n ? DiskBytes : size - DiskBytes * (n - 1);
            const QString e = files::copyRange(archive, DiskBytes * (i - 1), length, folder + pieceName(i));
            if (!e.isEmpty()) return report(fileError(failedText, e));
        }
    }
    if (const QString e = files::writeFile(folder + kControl, controlText(n)); !e.isEmpty())
        return report(fileError(failedText, e));

    if (!okCancel(QString::number(n) + QStringLiteral(" 枚のフロッピーディスクを準備してださい。"), kSaveTitle))
        return Error(Error::Code::Cancelled, QString());

    for (int i = 1; i <= n; ++i) {
        const QString which = QString::number(i) + QStringLiteral("/ ") + QString::number(n);
        for (;;) {
            if (!okCancel(which + QStringLiteral("枚目のフロッピーディスクをセットしてください。"), kSaveTitle))
                return Error(Error::Code::Cancelled, QString());
            const Check c = checkDisk(true);
            if (c == Check::Stop) return Error(Error::Code::Cancelled, QString());
            if (c == Check::Ok) break;
        }
        const QString disk = drives::folderOf(drive_) + u'/';
        const QString diskFailed = QString::number(i) + QStringLiteral(" 枚目のフロッピーディスクに保存できませんでした。保存を中止します。");
        // Only the files of an earlier backup set go: the drive may be any
        // folder (C: is the home folder), and whatever else it holds stays.
        for (const QString &name : files::fileNames(disk)) {
            if (!isSetFile(name)) continue;
            if (const QString e = files::removeFile(disk + name); !e.isEmpty())
                return report(fileError(diskFailed, e));
        }
        progress(which + QStringLiteral(" 枚目のフロッピーディスクに保存中です･･･"));
        if (i == 1) {
            if (const QString e = files::copyFile(folder + kControl, disk + kControl); !e.isEmpty())
                return report(fileError(diskFailed, e));
        }
        const QString name = n == 1 ? kArchive : pieceName(i);
        if (const QString e = files::copyFile(folder + name, disk + name); !e.isEmpty())
            return report(fileError(diskFailed, e));
        progress(QString());
    }

    if (files::fileExists(archive)) {
        for (const QString &name : {kArchive, kControl}) {
            if (const QString e = files::removeFile(folder + name); !e.isEmpty())
                return report(fileError(QStringLiteral("作業ファイルを削除できませんでした。"), e));
        }
    }
    workFiles.release();
    ask(QStringLiteral("保存が終了しました。"), kSaveTitle, mb::OK | mb::Information);
    return {};
}

Error FddBackup::RestoreTQ() {
    const Error cancelled(Error::Code::Cancelled, QString());
    if (!okCancel(QStringLiteral("TqEn営業日報") + QStringLiteral("をバックアップしたフロッピーディスクの「1」をセットしてださい。"),
                  kReadTitle))
        return cancelled;
    while (!hxtl::goodDrive(drive_)) {
        if (!okCancel(noDiskText(drive_), kCheckTitle)) return cancelled;
    }
    while (!files::fileExists(onDisk(QStringLiteral("tqectl")))) {
        if (!okCancel(kWrongSet, kCheckTitle)) return cancelled;
    }
    QString readError;
    const int n = disksIn(files::readHead(onDisk(QStringLiteral("tqectl")), 100, &readError));
    if (!readError.isEmpty())
        return report(fileError(QStringLiteral("フロッピーディスクを読めません。"), readError));
    // A control file without a disk count cannot belong to a backup set.
    if (n < 1) return report(Error(Error::Code::BadInput, kWrongSet, onDisk(QStringLiteral("tqectl"))));
    if (!okCancel(QStringLiteral("フロッピーディスクは ") + QString::number(n) + QStringLiteral(" 枚です。よろしいですか。"),
                  kCheckTitle))
        return cancelled;

    const QString folder = G().DataFolder;
    const QString archive = files::temporaryFor(folder + kArchive);
    WorkFiles workFiles(folder, archive);
    const QString readFailed = QStringLiteral("フロッピーディスクを読めませんでした。データは元のままです。");
    if (const QString e = files::writeFile(archive, QByteArray()); !e.isEmpty())
        return report(fileError(readFailed, e));
    for (int i = 1; i <= n; ++i) {
        const QString which = QString::number(i) + QStringLiteral("/ ") + QString::number(n);
        const QString expected = n > 1 ? pieceName(i) : kArchive;
        for (;;) {
            if (!okCancel(which + QStringLiteral("枚目のフロッピーディスクをセットしてください。"), kSaveTitle))
                return cancelled;
            const Check c = checkDisk(false);
            if (c == Check::Stop) return cancelled;
            if (c == Check::Retry) continue;
            if (files::fileExists(onDisk(expected))) break;
            if (!okCancel(QStringLiteral("これは ") + QString::number(i) +
                              QStringLiteral(" 枚目のフロッピーディスクではありません。確認してください。"),
                          kCheckTitle))
                return cancelled;
        }
        progress(which + QStringLiteral(" 枚目のフロッピーディスクを読込中です･･･"));
        const QString e = n == 1 ? files::copyFile(onDisk(expected), archive) : files::appendFile(onDisk(expected), archive);
        if (!e.isEmpty()) return report(fileError(readFailed, e));
        progress(QString());
    }

    const Error e = DefrostTQ(folder, kDataFile, QFileInfo(archive).fileName());
    files::removeFile(archive);
    if (!e.ok()) return e;
    workFiles.release();
    ask(QStringLiteral("読込が終了しました。"), kReadTitle, mb::OK | mb::Information);
    return {};
}

Error FddBackup::DefrostTQ(const QString &workFolder, const QString &dataFile, const QString &archive,
                           const QString &replaced) {
    const QString archivePath = workFolder + archive;
    if (!files::fileExists(archivePath))
        return report(Error(Error::Code::NotFound, QStringLiteral("書庫ファイルがありません。データは元のままです。"), archivePath));
    // A data file that is a symbolic link is restored through the link: into
    // the folder of the file it names, and renamed over that file there.
    QString target = replaced.isEmpty() ? files::resolveCase(workFolder + dataFile) : replaced;
    if (const QFileInfo link(target); link.isSymLink()) {
        target = link.canonicalFilePath();
        if (target.isEmpty())
            return report(fileError(QStringLiteral("データファイルのリンク先がありません。データは元のままです。"),
                                    link.symLinkTarget()));
    }
    // This run's temporary: what a killed restore leaves goes at the next start.
    const QString unpack = files::temporaryFor(QFileInfo(target).absolutePath() + u'/' + kRestoreFolder) + u'/';
    const auto keepOld = [&](Error e) {
        files::removeFolder(unpack);
        return e;
    };
    if (const QString e = files::removeFolder(unpack); !e.isEmpty())
        return report(fileError(QStringLiteral("作業フォルダを用意できません。データは元のままです。"), e));
    if (const QString e = files::makeFolder(unpack); !e.isEmpty())
        return report(fileError(QStringLiteral("作業フォルダを用意できません。データは元のままです。"), e));

    const QString line = QStringLiteral("x ") + QStringLiteral("-+ -a2 -d1 -f0 -n1 -jyc0 -jyd0 -jyk0 -jyn0 -jyo0") + u' ' +
                         q(archivePath) + u' ' + q(unpack) + u' ' + q(QStringLiteral("*.*"));
    const unlha::UnlhaResult r = runArchiver(line, cancelRequested);
    if (r.code == static_cast<int>(unlha::Error::Cancelled))
        return keepOld(Error(Error::Code::Cancelled, QString(), QString::fromStdString(r.report)));
    if (r.code != 0) {
        const QString reason = QString::fromStdString(r.report).trimmed();
        ask(QStringLiteral("[書庫解凍　エラー]") + u'\n' +
                (reason.isEmpty() ? QStringLiteral("書庫を解凍できませんでした。") : reason) +
                QStringLiteral("\nデータは元のままです。"),
            forms::programTitle(), mb::OK);
        return keepOld(Error(Error::Code::ArchiveFailed, QStringLiteral("書庫を解凍できませんでした。"),
                             QString::fromStdString(r.report)));
    }
    ask(QStringLiteral("[書庫解凍 ＯＫ]") + u'\n' + QString::fromStdString(r.report), forms::programTitle(), mb::OK);

    QString extracted = files::resolveCase(unpack + dataFile);
    const QString notData = QStringLiteral("書庫の中身はデータファイルとして使えません。データは元のままです。");
    if (!files::fileExists(extracted))
        return keepOld(report(Error(Error::Code::BadInput, notData, dataFile)));
    // A backup made by the Windows program holds its Access file: converted
    // in the work folder, the new file is what is restored.
    QString summaryText;
    if (mdbreader::isJetFile(extracted)) {
        if (ask(QStringLiteral("Windows版のデータファイルです。変換しますか"), kReadTitle, mb::YesNo | mb::Question) != mb::IdYes)
            return keepOld(Error(Error::Code::Cancelled, QString()));
        ImportSummary summary;
        if (Error e = ImportWindowsDataFile(extracted, &summary); !e.ok()) return keepOld(report(e));
        extracted = summary.newPath;
        summary.newPath = target;
        summaryText = summary.text();
    }
    if (Error e = dao::checkDatabase(extracted, dataTables()); !e.ok())
        return keepOld(report(Error(Error::Code::BadInput, notData, e.detail())));
    if (beforeReplace) {
        if (Error e = beforeReplace(); !e.ok()) return keepOld(report(e));
    }
    // A journal left by a writer that crashed on the old file would otherwise
    // be played back into the new one: settle it on the old file first.
    if (files::fileExists(target + QStringLiteral("-journal"))) dao::checkDatabase(target, {});
    if (const QString e = files::renameOver(extracted, target); !e.isEmpty())
        return keepOld(report(fileError(QStringLiteral("データファイルを置き換えられませんでした。データは元のままです。"), e)));
    files::removeFolder(unpack);
    if (!summaryText.isEmpty()) ask(summaryText, kReadTitle, mb::OK | mb::Information);
    return {};
}

}  // namespace tqen::maintenance
