#pragma once
// The platform's drive table: Windows drive letters of the system's paths
// ("A:" … "G:", "C:") mapped onto folders of this machine.
//
// The table is a small text file, one "X=/folder" line per drive, '#' starts
// a comment. It is read from $TQEN_DRIVES when that is set, else from
// tqen/drives.conf in the user's config folder ($XDG_CONFIG_HOME, by default
// ~/.config). "C:" maps to
// the user's home folder unless the file says otherwise; any other drive the
// file does not name maps to nothing and reads as "no disk".
#include <QString>

namespace tqen::drives {

// Path of the drive configuration file in use.
QString configPath();

// Folder of a drive ("A", "a:", "A:\\" all name drive A), without a trailing
// separator; empty when the drive maps to nothing.
QString folderOf(const QString &drive);

// True when the drive's medium can be taken out: A: and B: (the floppy
// drives), a drive named on a "removable = E, F" line, and a drive whose
// folder is a mount point of the file-system table (/etc/fstab, or
// $TQEN_FSTAB) or lies below /media, /run/media or /mnt. A "fixed = A" line
// makes a drive a plain folder (a folder standing for a disk). Such a drive
// holds a disk only while something is mounted on its folder itself.
bool isRemovable(const QString &drive);

// True when a folder (not a drive) lies on a medium that is there: it exists,
// and when it is at or below a mount point of the file-system table that
// mount point is mounted, and when it lies below /media, /run/media or /mnt
// something between that root and the folder is mounted. An empty mount
// point, or a folder made in one, is a folder of the disk below and reads as
// no medium.
bool isOnMountedMedium(const QString &folder);

// True when something is mounted on the folder itself: its device differs
// from its parent's, or the mount table of this process lists it.
bool isMountPoint(const QString &folder);

// True when the drive holds a disk: its folder exists and can be read and,
// for a removable drive, something is mounted on it (an empty mount point is
// a folder of the disk below it and reads as "no disk"). A drive the table
// does not name holds none.
bool goodDrive(const QString &drive);
// True when a file can be made on the drive's disk, written, read back
// unchanged and removed; false wherever goodDrive is.
bool writeTest(const QString &drive);

// A Windows path ("c:\\develop2\\tq\\", "A:\\tqe_d001") as a path of this
// machine: the drive through the table, every "\\" as "/". A path without a
// drive letter only has its separators turned. Empty when the drive maps to
// nothing.
QString toLocalPath(const QString &windowsPath);

}  // namespace tqen::drives
