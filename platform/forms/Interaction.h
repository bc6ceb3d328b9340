#pragma once
// Everything the program asks of the person at the screen or of the desktop
// shell goes through one Interaction: message boxes (numeric styles in, the
// numeric answer out), the open and save file dialogs, opening a document or
// page with the desktop, and the shell's file copy with its overwrite
// question. The program runs on QtInteraction; tests install a
// ScriptedInteraction that answers in order and records what was shown.
#include "platform/error/Error.h"

#include <QList>
#include <QString>

class QWidget;

namespace tqen::forms {

// Message-box styles and answers, as numbers.
namespace mb {
constexpr int OK = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512;
constexpr int IdOK = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7;

// The answers a style offers, in button order.
QList<int> buttonsOf(int style);
// The answer of the default button (what Enter presses).
int defaultAnswer(int style);
// The answer when the box is closed without a button (Escape, close box).
int closeAnswer(int style);
}  // namespace mb

// A file dialog request as the platform takes it.
struct FileDialogOptions {
    QString title;
    QStringList filters;      // "MDB ファイル(*.mdb)" …
    int filterIndex = 1;      // one-based
    QString initialFolder;
    QString defaultName;      // save dialog only
};

// The one way a form asks for a file: a request record filled in and handed
// to OpenFileDialog or SaveFileDialog, which answer nonzero when the user
// chose a file and then fill in the chosen path, name and filter.
struct FileDialogRequest {
    QString filter;          // "MDB ファイル(*.mdb)|*.mdb|": description and pattern, "|" after each
    qint32 filterIndex = 1;  // one-based; out: the filter the user left selected
    QString initialFolder;   // a path of this machine or a Windows path ("c:\")
    QString defaultName;     // save dialog only
    QString chosenPath;      // out
    QString chosenName;      // out
    QString title;
};
int OpenFileDialog(QWidget *owner, FileDialogRequest &request);
int SaveFileDialog(QWidget *owner, FileDialogRequest &request);

// The "|"-separated filter as the dialog takes it: "description (pattern)"
// entries.
QStringList FilterList(const QString &filter);

// Where a file dialog starts: the requested folder when it is one, else the
// user's documents folder (or home); with the default file name in it.
QString dialogStartPath(const FileDialogOptions &options);

class Interaction {
public:
    virtual ~Interaction() = default;

    // Shows a message box and returns the pressed button's answer.
    virtual int messageBox(QWidget *owner, const QString &prompt, int style, const QString &title) = 0;

    // The open or save dialog; true with the chosen full path when the user
    // chose a file.
    virtual bool openFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen) = 0;
    // chosenFilter, when given, gets the one-based index of the filter the
    // user left selected.
    virtual bool saveFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen,
                                int *chosenFilter = nullptr) = 0;

    // Opens a document or web page with the desktop; true when it was handed
    // over.
    virtual bool shellOpen(const QString &target) = 0;

    // Asks for a password (the typed text is not shown); true with it in
    // *typed when the user gave one, false when the user cancelled.
    virtual bool askPassword(QWidget *owner, const QString &prompt, const QString &title, QString *typed) = 0;

    // A question answered yes or no with an optional text typed beside it
    // (a comment): the prompt, a box of several lines named `label`, はい and
    // いいえ (いいえ the default). True when the user said yes, with the
    // text in *typed; its value on the way in is shown to start with.
    virtual bool askWithText(QWidget *owner, const QString &prompt, const QString &label, const QString &title,
                             QString *typed) = 0;

    // The shell's file copy: asks before it replaces an existing target
    // (question with Yes/No), copies, and reports a failure in a message box
    // of its own. Returns 0 when the copy was done, 1 when the user declined
    // the overwrite, 2 when the copy failed.
    int shellCopy(QWidget *owner, const QString &from, const QString &to, const QString &title);
    // Before a save replaces a file: true when no file is there or the user
    // said yes to replacing it.
    bool mayReplace(QWidget *owner, const QString &path, const QString &title);
};

// The interaction the program uses; a QtInteraction unless one was set.
Interaction &interaction();
// Installs another interaction (tests); nullptr restores the Qt one. The
// caller keeps ownership.
void setInteraction(Interaction *other);

// The program's title, the caption of the messages that forms build.
QString programTitle();

// The one way a form tells the user of a failure: the error's text and detail
// (passwords of server addresses masked) in a box with the program's title
// and the icon (mb::Critical, mb::Exclamation …). Nothing for no error or a
// cancel: the user knows of that already.
void showError(QWidget *owner, const Error &error, int icon = mb::Critical);

}  // namespace tqen::forms
