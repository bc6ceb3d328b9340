#include "app/DataFileCheck.h"

#include "app/StartUp.h"
#include "platform/dao/Dao.h"
#include "platform/forms/Interaction.h"

#include <QMetaObject>
#include <QWidget>

namespace tqen {

DataFileCheck::DataFileCheck(QWidget *screen, const QString &applicationFolder)
    : QObject(screen), screen_(screen), applicationFolder_(applicationFolder) {}

DataFileCheck::~DataFileCheck() {
    if (stop_) stop_->stop();
    if (pending_.valid()) pending_.wait();
}

void DataFileCheck::start(const QString &dataDbPath) {
    if (pending_.valid()) pending_.wait();
    path_ = dataDbPath;
    found_ = {};
    damaged_ = {};
    settled_ = false;
    stop_ = std::make_unique<dao::CheckStop>();
    // The object outlives the thread (its destructor waits), and a queued
    // call to an object that is gone is dropped.
    pending_ = std::async(std::launch::async, [this, dataDbPath, stop = stop_.get()] {
        Error e = dao::quickCheck(dataDbPath, stop);
        // A file held by another writer is not called damaged: it is checked
        // at the next start.
        if (dao::isInUseError(e.detail())) e = {};
        QMetaObject::invokeMethod(this, [this] { settle(); }, Qt::QueuedConnection);
        return e;
    });
}

Error DataFileCheck::result() {
    if (pending_.valid()) found_ = pending_.get();
    return found_;
}

bool DataFileCheck::settle() {
    if (settled_) return false;
    settled_ = true;
    damaged_ = StartUp(screen_, applicationFolder_).refuseDamagedFile(path_, result());
    emit settled(damaged_);
    return !damaged_.ok();
}

bool DataFileCheck::refused() {
    const bool toldNow = settle();
    if (damaged_.ok()) return false;
    if (!toldNow)
        forms::interaction().messageBox(screen_, damaged_.message(), forms::mb::OK | forms::mb::Critical,
                                        forms::programTitle());
    return true;
}

}  // namespace tqen
