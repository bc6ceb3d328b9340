#pragma once
// Where the program keeps its data files and finds its help pages.
//
// A program with a data/ folder beside it (its build folder, or a copy of
// it) keeps its data there, with the help pages in help/ beside it.
//
// An installed program lives in <prefix>/bin and finds its delivered files
// in <prefix>/share/tqen: the data file templates in data/ and the help
// pages in help/. It never writes under the prefix: its data lives in the
// user's data folder, <XDG data home>/tqen/data/, and the first start copies
// every delivered file that is missing there (a file already there is the
// user's data and is never replaced).
#include "platform/error/Error.h"

#include <QString>

namespace tqen {

struct ProgramFolders {
    QString data;            // ending in "/"
    QString help;            // ending in "/"
    bool installed = false;  // true when data lives in the user's data folder
};

// The folders for a program that runs from applicationFolder. For an
// installed program this also copies the missing delivered data files into
// the user's data folder; a failed copy is told in error, and the folders are
// given all the same (the start-up check then reports the missing file).
ProgramFolders ResolveProgramFolders(const QString &applicationFolder, Error *error = nullptr);

// The user's data folder of an installed program, ending in "/".
QString UserDataFolder();

}  // namespace tqen
