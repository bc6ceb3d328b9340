#pragma once
// A restore of the data file from a backup archive, in the steps between
// which the form puts its questions:
//
//   Restore r(archive, member, dataFile);
//   r.unpack(&report);          // into a work folder beside the data file
//   r.isWindowsFile();          // the caller may convert it, then
//   r.useInstead(converted);    //   restore the converted file instead
//   r.replace(beforeReplace);   // checked, then renamed over the data file
//
// The data file stays untouched until the last step, and on any failure; the
// work folder goes with the object (a killed run's at the next start). A data
// file that is a symbolic link is restored through the link. Nothing here
// shows anything.
#include "platform/error/Error.h"

#include <QString>

#include <functional>

namespace tqen::backup {

class Restore {
public:
    Restore(const QString &archivePath, const QString &member, const QString &dataFile);
    ~Restore();
    Restore(const Restore &) = delete;
    Restore &operator=(const Restore &) = delete;

    // Asked now and then while the archive is unpacked; true stops it with
    // Error::Code::Cancelled.
    std::function<bool()> cancelRequested;

    // Extracts the archive into the work folder. Fails with NotFound (no
    // archive), FileFailed (the link or the work folder), ArchiveFailed (the
    // archiver's reason in the detail) or Cancelled.
    Error unpack(QString *report = nullptr);

    // The member as extracted (empty before unpack), and whether it is a data
    // file of the Windows program.
    const QString &extracted() const { return extracted_; }
    bool isWindowsFile() const;
    // The file the data file is replaced with instead of the extracted one:
    // the converted Windows file, made in the work folder.
    void useInstead(const QString &file) { extracted_ = file; }
    // The file replaced: the data file, or the file its link names.
    const QString &target() const { return target_; }

    // Checks that the file opens as a data database holding dataTables(),
    // calls beforeReplace (the safety snapshot: an error stops here), and
    // renames it over the target.
    Error replace(const std::function<Error()> &beforeReplace = {});

private:
    QString archive_, member_, target_, work_, extracted_;
};

}  // namespace tqen::backup
