#pragma once
// What the program finds before its main screen works: the folders, the work
// database, the data database in use and whether it can be read and written.
// Each step tells the user what is wrong, over the main screen, and the
// program goes on; the main screen keeps the session these steps fill and
// calls them in its own start-up order.
#include "model/Session.h"
#include "platform/error/Error.h"

#include <QString>

class QWidget;

namespace tqen {

class StartUp {
public:
    StartUp(QWidget *screen, const QString &applicationFolder) : screen_(screen), applicationFolder_(applicationFolder) {}

    // The data and help folders: the developer's fixed folders when the
    // marker file c:\qmtdevelop.txt exists, else those beside the program.
    void chooseFolders(model::Session &session) const;
    // The work database beside the data folder's files.
    static void chooseWorkDatabase(model::Session &session);
    // The data database the settings name, else the default file; the hint
    // texts are read from it for the whole run.
    static void chooseDataDatabase(model::Session &session);
    // What runs that were killed (a power cut, kill -9) left behind: copies
    // cut short, restores' work files, staging folders, the archiver's
    // temporaries. Each temporary names its run, and only those of runs that
    // are no more are removed.
    static void removeLeftovers(const model::Session &session);
    // A data database on a server whose password is not in ~/.pgpass: the
    // user is asked once per session; the password is never written anywhere.
    static void askServerPasswords();
    // A data database that cannot be opened would leave every screen
    // silently empty: the user is told once, with the path. True when it
    // opens; whether it is damaged is then found behind the screen
    // (DataFileCheck).
    bool checkDataDatabase(const model::Session &session) const;
    // A data file that opens but is damaged (the engine's findings) is never
    // written: the user is told the way out, and the error is given back
    // (ok when the file may be written).
    Error refuseDamagedFile(const QString &dataDbPath, const Error &findings) const;
    // The calendar's day cells could not be made (the caption control
    // library did not load, for the reason given): the entry still works.
    void tellCalendarMissing(const QString &cellError) const;

private:
    void tell(const QString &text, int style) const;

    QWidget *screen_;
    QString applicationFolder_;
};

}  // namespace tqen
