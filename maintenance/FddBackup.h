#pragma once
// The floppy backup set of the data file: the archive the backup pipeline
// packs (backup/Archive.h) is cut into 1,440,000-byte pieces when it needs
// more than one disk, and written disk by disk with a control file on disk 1
// that tells the restore how many disks belong to the set. The restore reads
// the disks back, joins the pieces and hands the archive to the pipeline's
// restore (backup/Restore.h). This class holds the splitting, the joining and
// the prompts.
//
// Every step that can fail tells the user and stops; nothing ends with the
// completion message after a failure.
#include "platform/error/Error.h"

#include <QString>

#include <functional>

class QWidget;

namespace tqen::maintenance {

class FddBackup {
public:
    // Capacity of one disk in bytes.
    static constexpr qint64 DiskBytes = 1440000;

    // dataFolder: the folder of the data file backed up or restored, ending
    // in "/"; drive: "A:" … "G:"; form: the window that owns the label
    // "FddMsg" for the progress text (may be null).
    FddBackup(const QString &dataFolder, const QString &drive, QWidget *form);

    // Called just before the restored file replaces the data file (the safety
    // snapshot); an error stops the restore.
    std::function<Error()> beforeReplace;
    // Asked now and then while the archive is unpacked (a progress window's
    // cancel button sets what it returns); true stops the restore with
    // Error::Code::Cancelled and the data file as it was.
    std::function<bool()> cancelRequested;

    // Backs up DataFolder + "Tqendata.mdb" (a consistent copy, without the
    // search index). Ok when every disk was written.
    Error FDDBuckUp();
    // Packs a consistent copy of workFolder + dataFile (the file itself when
    // the engine cannot copy it) into workFolder + archive under the name
    // dataFile; true on success. Shows the archiver's report or its error.
    bool CreateLzhFile(const QString &workFolder, const QString &dataFile, const QString &archive);
    // Restores DataFolder + "Tqendata.mdb" from the disks.
    Error RestoreTQ();
    // Extracts workFolder + archive beside the data file, checks its member
    // dataFile and puts it in place of target (default workFolder +
    // dataFile; it must be on the file system of workFolder). The old file
    // stays untouched on any failure.
    Error DefrostTQ(const QString &workFolder, const QString &dataFile, const QString &archive,
                    const QString &target = QString());

    // Number of disks an archive of that size needs.
    static int disksFor(qint64 archiveBytes);
    // "tqe_d001" …
    static QString pieceName(int number);
    // What the user is told when the drive holds no disk; for a drive that
    // maps to no folder, also where and how to name its folder.
    static QString noDiskText(const QString &drive);
    // Whether a file of that name belongs to a backup set (its control file,
    // its archive or a piece, in any case): the only files a backup removes
    // from a disk.
    static bool isSetFile(const QString &name);
    // The text of the control file for n disks, and n read back from one
    // (0 when it holds no number).
    static QByteArray controlText(int disks);
    static int disksIn(const QByteArray &controlFile);

private:
    enum class Check { Ok, Retry, Stop };
    int ask(const QString &prompt, const QString &title, int style);
    bool okCancel(const QString &prompt, const QString &title);
    Check checkDisk(bool wantWritable);
    void progress(const QString &text);
    Error report(Error e);
    QString onDisk(const QString &name) const;

    QString dataFolder_;
    QString drive_;
    QWidget *form_;
};

}  // namespace tqen::maintenance
