#pragma once
// Whether the data file is damaged, found on a thread of its own: reading a
// file of a million reports through takes seconds, and the main screen is
// usable meanwhile. Reading goes on as usual; whatever writes the file
// (a registration, a deletion, the search index) first waits for the answer
// through result(), so a damaged file is still never written.
#include "platform/dao/Dao.h"
#include "platform/error/Error.h"

#include <QObject>
#include <QString>

#include <future>
#include <memory>

namespace tqen {

class DataFileCheck : public QObject {
    Q_OBJECT
public:
    explicit DataFileCheck(QObject *parent = nullptr) : QObject(parent) {}
    // Closing the program ends a check that still runs.
    ~DataFileCheck() override;

    // Checks the file (nothing to check on a server or for a file that is
    // not there); finished() follows on this object's thread.
    void start(const QString &dataDbPath);
    bool running() const { return pending_.valid(); }
    // The engine's findings (ok when the file is sound, in use or not
    // checked), waiting for them if the check still runs.
    Error result();

signals:
    void finished();

private:
    std::future<Error> pending_;
    std::unique_ptr<dao::CheckStop> stop_;
    Error found_;
};

}  // namespace tqen
