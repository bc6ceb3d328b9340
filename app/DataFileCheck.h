#pragma once
// Whether the data file is damaged, found on a thread of its own: reading a
// file of a million reports through takes seconds, and the main screen is
// usable meanwhile. Reading goes on as usual; whatever writes the file
// (a registration, a deletion, the search index) first takes the answer
// through settle() or refused(), waiting for it if need be, so a damaged
// file is still never written. The user is told of a damaged file once,
// when the answer comes or at the first write, whichever is first.
#include "platform/dao/Dao.h"
#include "platform/error/Error.h"

#include <QObject>
#include <QString>

#include <future>
#include <memory>

class QWidget;

namespace tqen {

class DataFileCheck : public QObject {
    Q_OBJECT
public:
    // screen: the form that tells the user; applicationFolder: the folder
    // holding data/ (the damaged file is named by its place).
    DataFileCheck(QWidget *screen, const QString &applicationFolder);
    // Closing the program ends a check that still runs.
    ~DataFileCheck() override;

    // Checks the file (nothing to check on a server or for a file that is
    // not there); the answer is taken as soon as it comes.
    void start(const QString &dataDbPath);
    // Takes the answer once, waiting for it if the check still runs: the
    // user is told of a damaged file (true when told now) and settled()
    // follows. Does nothing when it was taken already.
    bool settle();
    // For a write: true when the file is damaged and may not be written;
    // the user is told (again, when told before).
    bool refused();
    // Why the data file is not written; ok when it is sound or unchecked.
    Error damaged() const { return damaged_; }

signals:
    // The answer was taken: damaged says why the file is not to be written,
    // ok when it is sound.
    void settled(const Error &damaged);

private:
    // The engine's findings (ok when the file is sound, in use or not
    // checked), waiting for them if the check still runs.
    Error result();

    QWidget *screen_;
    QString applicationFolder_;
    QString path_;
    std::future<Error> pending_;
    std::unique_ptr<dao::CheckStop> stop_;
    Error found_;
    Error damaged_;
    bool settled_ = true;
};

}  // namespace tqen
