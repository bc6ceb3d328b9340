#pragma once
// File services the program needs, in one place: existence, case-blind look-up
// (names in the data folder are matched without regard to case, as the
// program's data files always were), size, copy and the application folder.
#include "platform/error/Error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tqen::files {

// The folder of the running program, without a trailing separator.
QString applicationFolder();

// The user's own data folder (XDG_DATA_HOME, by default ~/.local/share),
// without a trailing separator.
QString userDataHome();

// True when a file (not a folder) exists at the path.
bool fileExists(const QString &path);

// True when a folder exists at the path.
bool folderExists(const QString &path);

// The path of an existing file whose name equals the path's name without
// regard to case, in the same folder; the path itself when it exists or when
// no such file is there.
QString resolveCase(const QString &path);

// The file a path names now (its device and inode), 0 when there is none: a
// file renamed over the path since reads as another.
quint64 fileIdentity(const QString &path);

// Size in bytes of an existing file (low 32 bits), also of one that cannot
// be read; -1 when there is no such file (or it is a folder).
qint32 fileSize(const QString &path);

// Copies a file to a new path: the copy is written beside the target and
// renamed into place, so a failed copy never leaves a half-written target.
// An existing target is replaced.
Error copyFile(const QString &from, const QString &to);

// The functions below, like copyFile, fail with Error::Code::FileFailed
// whose text names the file and the system's reason.

// Copies length bytes from offset of a file into a new file (written beside
// and renamed into place).
Error copyRange(const QString &from, qint64 offset, qint64 length, const QString &to);
// Appends a whole file to another and flushes it to the medium.
Error appendFile(const QString &from, const QString &to);
// Writes a whole file (beside and renamed into place).
Error writeFile(const QString &path, const QByteArray &bytes);
// The first maxBytes of a file; error set when it cannot be read.
QByteArray readHead(const QString &path, qint64 maxBytes, Error *error = nullptr);
// Removes a file; a missing file is no error.
Error removeFile(const QString &path);
// Flushes a finished file to the medium and renames it over another in one
// step on the same file system, so the target is always either the old or
// the new file.
Error renameOver(const QString &from, const QString &to);
// Names of the files (not folders) directly in a folder, sorted.
QStringList fileNames(const QString &folder);
// Makes a folder and its parents; removes a folder with everything in it.
Error makeFolder(const QString &path);
Error removeFolder(const QString &path);

}  // namespace tqen::files
