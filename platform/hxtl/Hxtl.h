#pragma once
// The drive utility the backup and restore call before they touch a floppy:
//
//   int GoodDrive(const char *drive);   // "A:" … "G:", "C:"
//   int WriteTest(const char *drive);
//
// A drive text maps to a folder through the platform drive table
// (platform/drives). GoodDrive is non-zero when that folder exists and can be
// read and, for a removable drive (see platform/drives), something is mounted
// on it: an empty mount point reads as "no disk"; WriteTest is non-zero when a file can
// be created in it, written, read back unchanged and removed. A drive the
// table does not name gives 0 for both ("no disk"). drive is UTF-8.
#include <QString>

int GoodDrive(const char *drive);
int WriteTest(const char *drive);

namespace tqen::hxtl {

bool goodDrive(const QString &drive);
bool writeTest(const QString &drive);

}  // namespace tqen::hxtl
