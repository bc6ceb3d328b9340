#include "maintenance/FddBackup.h"

#include "backup/Archive.h"
#include "backup/Restore.h"
#include "core/WindowsDataImport.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"

#include <QLabel>
#include <QRegularExpression>
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
Error fileError(const QString &text, const Error &e) { return Error(Error::Code::FileFailed, text, e.text()); }

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

FddBackup::FddBackup(const QString &dataFolder, const QString &drive, QWidget *form)
    : dataFolder_(dataFolder), drive_(drive), form_(form) {}

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
    // Painted now: the backup runs to its end before the next event.
    if (!text.isEmpty()) label->repaint();
}

Error FddBackup::report(Error e) {
    progress(QString());
    forms::showError(form_, e);
    return e;
}

QString FddBackup::onDisk(const QString &name) const {
    const QString folder = drives::folderOf(drive_);
    if (folder.isEmpty()) return QString();
    return files::resolveCase(folder + u'/' + name);
}

FddBackup::Check FddBackup::checkDisk(bool wantWritable) {
    if (!drives::goodDrive(drive_)) return okCancel(noDiskText(drive_), kCheckTitle) ? Check::Retry : Check::Stop;
    if (wantWritable && !drives::writeTest(drive_))
        return okCancel(kNotWritable, kCheckTitle) ? Check::Retry : Check::Stop;
    return Check::Ok;
}

bool FddBackup::CreateLzhFile(const QString &workFolder, const QString &dataFile, const QString &archive) {
    const QString archivePath = workFolder + archive;
    if (files::fileExists(archivePath)) {
        if (const Error e = files::removeFile(archivePath); !e.ok()) {
            ask(QStringLiteral("[書庫ファイル　作成エラー]") + u'\n' + e.text(), forms::programTitle(), mb::OK);
            return false;
        }
        QThread::msleep(300);
    }
    // A file the engine cannot copy (a Windows-era data file) is archived as
    // it is.
    QString report;
    if (backup::pack(workFolder + dataFile, dataFile, archivePath, backup::Source::CopyOrAsItIs, &report).ok()) {
        ask(QStringLiteral("[書庫ファイル ＯＫ]") + u'\n' + report, forms::programTitle(), mb::OK);
        return true;
    }
    ask(QStringLiteral("[書庫ファイル　作成エラー]"), forms::programTitle(), mb::OK);
    return false;
}

Error FddBackup::FDDBuckUp() {
    const QString folder = dataFolder_;
    const QString archive = folder + kArchive;
    WorkFiles workFiles(folder);
    // The archive holds a consistent copy of the data file without the
    // search index, which the restored file makes again from the reports:
    // the index costs no disks.
    if (!CreateLzhFile(folder, kDataFile, kArchive)) return Error(Error::Code::ArchiveFailed, QString());
    const qint64 size = files::fileSize(archive);
    if (size < 0) return report(Error(Error::Code::FileFailed, QStringLiteral("書庫ファイルを読めません。"), archive));
    const int n = std::max(1, disksFor(size));

    const QString failedText = QStringLiteral("保存できませんでした。保存を中止します。");
    if (n > 1) {
        for (int i = 1; i <= n; ++i) {
            const qint64 length = i < n ? DiskBytes : size - DiskBytes * (n - 1);
            const Error e = files::copyRange(archive, DiskBytes * (i - 1), length, folder + pieceName(i));
            if (!e.ok()) return report(fileError(failedText, e));
        }
    }
    if (const Error e = files::writeFile(folder + kControl, controlText(n)); !e.ok())
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
            if (const Error e = files::removeFile(disk + name); !e.ok())
                return report(fileError(diskFailed, e));
        }
        progress(which + QStringLiteral(" 枚目のフロッピーディスクに保存中です･･･"));
        if (i == 1) {
            if (const Error e = files::copyFile(folder + kControl, disk + kControl); !e.ok())
                return report(fileError(diskFailed, e));
        }
        const QString name = n == 1 ? kArchive : pieceName(i);
        if (const Error e = files::copyFile(folder + name, disk + name); !e.ok())
            return report(fileError(diskFailed, e));
        progress(QString());
    }

    if (files::fileExists(archive)) {
        for (const QString &name : {kArchive, kControl}) {
            if (const Error e = files::removeFile(folder + name); !e.ok())
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
    while (!drives::goodDrive(drive_)) {
        if (!okCancel(noDiskText(drive_), kCheckTitle)) return cancelled;
    }
    while (!files::fileExists(onDisk(QStringLiteral("tqectl")))) {
        if (!okCancel(kWrongSet, kCheckTitle)) return cancelled;
    }
    Error readError;
    const int n = disksIn(files::readHead(onDisk(QStringLiteral("tqectl")), 100, &readError));
    if (!readError.ok())
        return report(fileError(QStringLiteral("フロッピーディスクを読めません。"), readError));
    // A control file without a disk count cannot belong to a backup set.
    if (n < 1) return report(Error(Error::Code::BadInput, kWrongSet, onDisk(QStringLiteral("tqectl"))));
    if (!okCancel(QStringLiteral("フロッピーディスクは ") + QString::number(n) + QStringLiteral(" 枚です。よろしいですか。"),
                  kCheckTitle))
        return cancelled;

    const QString folder = dataFolder_;
    const QString archive = files::temporaryFor(folder + kArchive);
    WorkFiles workFiles(folder, archive);
    const QString readFailed = QStringLiteral("フロッピーディスクを読めませんでした。データは元のままです。");
    if (const Error e = files::writeFile(archive, QByteArray()); !e.ok())
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
        const Error e = n == 1 ? files::copyFile(onDisk(expected), archive) : files::appendFile(onDisk(expected), archive);
        if (!e.ok()) return report(fileError(readFailed, e));
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
    backup::Restore restore(workFolder + archive, dataFile,
                            replaced.isEmpty() ? files::resolveCase(workFolder + dataFile) : replaced);
    restore.cancelRequested = cancelRequested;
    QString unpacked;
    if (Error e = restore.unpack(&unpacked); !e.ok()) {
        if (e.code() != Error::Code::ArchiveFailed) return report(e);
        const QString reason = e.detail().trimmed();
        ask(QStringLiteral("[書庫解凍　エラー]") + u'\n' + (reason.isEmpty() ? e.text() : reason) +
                QStringLiteral("\nデータは元のままです。"),
            forms::programTitle(), mb::OK);
        return e;
    }
    ask(QStringLiteral("[書庫解凍 ＯＫ]") + u'\n' + unpacked, forms::programTitle(), mb::OK);

    // A backup made by the Windows program holds its Access file: converted
    // in the work folder, the new file is what is restored.
    QString summaryText;
    if (restore.isWindowsFile()) {
        if (ask(QStringLiteral("Windows版のデータファイルです。変換しますか"), kReadTitle, mb::YesNo | mb::Question) != mb::IdYes)
            return Error(Error::Code::Cancelled, QString());
        ImportSummary summary;
        if (Error e = ImportWindowsDataFile(restore.extracted(), &summary); !e.ok()) return report(e);
        restore.useInstead(summary.newPath);
        summary.newPath = restore.target();
        summaryText = summary.text();
    }
    if (Error e = restore.replace(beforeReplace); !e.ok()) return report(e);
    if (!summaryText.isEmpty()) ask(summaryText, kReadTitle, mb::OK | mb::Information);
    return {};
}

}  // namespace tqen::maintenance
