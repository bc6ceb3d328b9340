#pragma once
// Wrappers over the platform's file dialogs and file size.
#include <QString>

class QWidget;

namespace tqen::ModApi {

// The request the two dialog wrappers take and fill in.
struct FileDialogRequest {
    QString filter;          // "MDB ファイル(*.mdb)|*.mdb|": description and pattern, "|" after each
    qint32 filterIndex = 1;  // one-based
    QString initialFolder;   // a path of this machine or a Windows path ("c:\")
    QString defaultName;     // save dialog only
    QString chosenPath;      // out
    QString chosenName;      // out
    QString title;
};

// Nonzero when the user chose a file; chosenPath and chosenName are filled in.
int OpenFileDialog(QWidget *owner, FileDialogRequest &request);
int SaveFileDialog(QWidget *owner, FileDialogRequest &request);

// Size of an existing file in bytes, also of one that cannot be read; -1
// when there is no such file.
qint32 FileSizeOf(const QString &path);

// The "|"-separated filter as the dialog takes it: "description (pattern)"
// entries.
QStringList FilterList(const QString &filter);

}  // namespace tqen::ModApi
