#include "platform/files/Temporaries.h"

#include "platform/files/Files.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tqen::files {

namespace {

// One folder for the locks of every run on this machine, whatever the user
// and $TMPDIR: a run of another user may share the data folder.
const char *const kLockFolder = "/tmp/tqen-runs";

QString lockPath(qint64 pid) { return QString::fromLatin1(kLockFolder) + u'/' + QString::number(pid) + QStringLiteral(".lock"); }

// The machine's name as it goes into a temporary's name: a data folder on a
// network share holds the temporaries of several PCs, and only those of this
// one can be judged by their process.
QString hostTag() {
    static const QString tag = [] {
        QString out;
        for (const QChar c : QSysInfo::machineHostName())
            if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) out += c;
        return out.isEmpty() ? QStringLiteral("host") : out.left(32);
    }();
    return tag;
}

// This run's lock, taken once per process (a forked child takes its own)
// and held until the process ends.
void holdRunLock() {
    static std::mutex guard;
    static pid_t lockedFor = 0;
    const std::lock_guard<std::mutex> g(guard);
    if (lockedFor == ::getpid()) return;
    if (::mkdir(kLockFolder, 01777) == 0) ::chmod(kLockFolder, 01777);
    const int fd = ::open(QFile::encodeName(lockPath(::getpid())).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
    lockedFor = ::getpid();
}

}  // namespace

QString temporaryFor(const QString &path) {
    holdRunLock();
    QString base = path;
    while (base.endsWith(u'/') && base.size() > 1) base.chop(1);
    return base + QStringLiteral(".tqen-") + hostTag() + u'-' + QString::number(::getpid()) + QStringLiteral(".part");
}

bool isTemporaryName(const QString &name, qint64 *pid, QString *host) {
    static const QRegularExpression re(QStringLiteral("^.+\\.tqen-([A-Za-z0-9]{1,32})-([0-9]{1,10})\\.part$"));
    const auto m = re.match(name);
    if (!m.hasMatch()) return false;
    if (pid) *pid = m.captured(2).toLongLong();
    if (host) *host = m.captured(1);
    return true;
}

bool runIsAlive(qint64 pid) {
    if (pid == ::getpid()) return true;
    const QByteArray path = QFile::encodeName(lockPath(pid));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    // A live run holds the lock; a killed run's lock went with its process.
    const bool alive = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (!alive) ::unlink(path.constData());
    ::close(fd);
    return alive;
}

int removeDeadTemporaries(const QString &folder) {
    const QDir dir(folder);
    if (!dir.exists()) return 0;
    int removed = 0;
    for (const QFileInfo &entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        qint64 pid = 0;
        QString host;
        if (!isTemporaryName(entry.fileName(), &pid, &host) || host != hostTag() || runIsAlive(pid)) continue;
        const Error e = entry.isDir() && !entry.isSymLink() ? removeFolder(entry.filePath()) : removeFile(entry.filePath());
        if (e.ok()) ++removed;
    }
    return removed;
}

TemporaryFolder::TemporaryFolder(const QString &parent, const QString &name) {
    static QAtomicInteger<int> counter;
    path_ = temporaryFor(parent + u'/' + name + u'-' + QString::number(counter.fetchAndAddRelaxed(1)));
    removeFolder(path_);
    error_ = makeFolder(path_).text();
    valid_ = error_.isEmpty();
}

TemporaryFolder::~TemporaryFolder() {
    if (valid_) removeFolder(path_);
}

}  // namespace tqen::files
