#pragma once
// File services the program needs, in one place: existence, case-blind look-up
// (names in the data folder are matched without regard to case, as the
// program's data files always were), size, copy and the application folder.
#include <QString>

namespace tqen::files {

// The folder of the running program, without a trailing separator.
QString applicationFolder();

// True when a file (not a folder) exists at the path.
bool fileExists(const QString &path);

// True when a folder exists at the path.
bool folderExists(const QString &path);

// The path of an existing file whose name equals the path's name without
// regard to case, in the same folder; the path itself when it exists or when
// no such file is there.
QString resolveCase(const QString &path);

// Size in bytes of an existing file (low 32 bits), also of one that cannot
// be read; -1 when there is no such file (or it is a folder).
qint32 fileSize(const QString &path);

// Copies a file to a new path: the copy is written beside the target and
// renamed into place, so a failed copy never leaves a half-written target.
// An existing target is replaced. Returns an error text, empty on success.
QString copyFile(const QString &from, const QString &to);

}  // namespace tqen::files
