#include "app/DataFileCheck.h"

#include "platform/dao/Dao.h"

#include <QMetaObject>

namespace tqen {

DataFileCheck::~DataFileCheck() {
    if (stop_) stop_->stop();
    if (pending_.valid()) pending_.wait();
}

void DataFileCheck::start(const QString &dataDbPath) {
    if (pending_.valid()) pending_.wait();
    found_ = {};
    stop_ = std::make_unique<dao::CheckStop>();
    // The object outlives the thread (its destructor waits), and a queued
    // call to an object that is gone is dropped.
    pending_ = std::async(std::launch::async, [this, dataDbPath, stop = stop_.get()] {
        Error e = dao::quickCheck(dataDbPath, stop);
        // A file held by another writer is not called damaged: it is checked
        // at the next start.
        if (dao::isInUseError(e.detail())) e = {};
        QMetaObject::invokeMethod(this, [this] { emit finished(); }, Qt::QueuedConnection);
        return e;
    });
}

Error DataFileCheck::result() {
    if (pending_.valid()) found_ = pending_.get();
    return found_;
}

}  // namespace tqen
