#pragma once
// The temporaries of a run, named so that a later run knows them: a file or
// folder "NAME.tqen-HOST-PID.part" in the folder where it is needed. While a
// run lives it holds an exclusive lock on its own lock file
// (/tmp/tqen-runs/PID.lock); a run that was killed (kill -9, a power cut)
// lost that lock with its process, and the next start on the same machine
// removes what it left behind. Temporaries of other machines (a data folder
// on a network share) are left alone.
#include <QString>

namespace tqen::files {

// The temporary path for a file or folder about to be made at `path`:
// path + ".tqen-<host>-<pid>.part". The run takes its lock on the first call.
QString temporaryFor(const QString &path);

// True when name is the name of a temporary of some run; *pid and *host
// receive that run's process id and machine.
bool isTemporaryName(const QString &name, qint64 *pid = nullptr, QString *host = nullptr);

// True while the run with that process id holds its lock (this run always).
bool runIsAlive(qint64 pid);

// Removes the temporaries directly in folder (files and folders with all in
// them) of runs that are no more; returns how many went.
int removeDeadTemporaries(const QString &folder);

// A staging folder of this run under parent, named by temporaryFor, removed
// with everything in it when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder(const QString &parent, const QString &name);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    bool isValid() const { return valid_; }
    QString path() const { return path_; }
    QString filePath(const QString &name) const { return path_ + u'/' + name; }
    QString errorString() const { return error_; }

private:
    QString path_, error_;
    bool valid_ = false;
};

}  // namespace tqen::files
