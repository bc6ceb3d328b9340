#pragma once
// The archive step of every backup and restore of the data file, on the typed
// archive API (no command lines):
//
//   pack    a consistent copy of the data file, without its search index (the
//           restored file makes it again from the reports), stored in a new
//           LZH archive that is tested before it takes the archive's name;
//   unpack  every member of an archive into a folder, all or nothing, within
//           the extraction caps, with a way to stop it.
//
// Both give the archiver's report, the lines the user is shown. Nothing here
// shows anything: the callers tell the user.
#include "platform/error/Error.h"

#include <QString>

#include <functional>

namespace tqen::backup {

// The name under which every backup stores the data file, so the floppy and
// the folder restore each find the other's member.
QString memberName();

// The tables a data database must hold to be restored.
QStringList dataTables();

enum class Source {
    ConsistentCopy,  // the engine's copy of the file, or a failure
    CopyOrAsItIs,    // the file itself when the engine cannot copy it (a
                     // Windows-era data file, say)
};

// Packs dataFile (found without regard to case) as member into a new archive
// at archivePath; an archive already there is replaced only once the new one
// tested sound. Fails with FileFailed (copy, write) or ArchiveFailed (the
// archiver), the reason in the detail.
Error pack(const QString &dataFile, const QString &member, const QString &archivePath, Source source,
           QString *report = nullptr);

// Extracts every member of archivePath into folder (which must exist). Fails
// with ArchiveFailed and the archiver's reason as the detail, or Cancelled
// when cancelled() said so.
Error unpack(const QString &archivePath, const QString &folder, const std::function<bool()> &cancelled = {},
             QString *report = nullptr);

}  // namespace tqen::backup
