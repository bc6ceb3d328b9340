// Temporaries name their run; those of a run that was killed go at the next
// clean-up, those of a live run and every other file stay.
#include "platform/files/Temporaries.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child run that makes a temporary file and a temporary folder in `folder`,
// says so through a pipe and waits to be killed.
pid_t childWithTemporaries(const QString &folder) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        const QByteArray file = QFile::encodeName(tqen::files::temporaryFor(folder + "/TqenData.mdb"));
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0600);
        ::mkdir(QFile::encodeName(tqen::files::temporaryFor(folder + "/tqen-restore.tmp")).constData(), 0700);
        const char c = fd >= 0 ? 'y' : 'n';
        if (::write(ready[1], &c, 1) != 1) ::_exit(3);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    const bool ok = ::read(ready[0], &c, 1) == 1 && c == 'y';
    ::close(ready[0]);
    return ok ? pid : -1;
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(Temporaries, ThoseOfAKilledRunGoAndTheRestStay) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString folder = tmp.path();
    // Files that only look alike, and this run's own temporary.
    for (const char *name : {"TqenData.mdb", "TqenData.mdb.part", "x.tqen-123.part", "notes.tqen-host-12x.part"})
        QFile(folder + "/" + name).open(QIODevice::WriteOnly);
    const QString own = tqen::files::temporaryFor(folder + "/mine.db");
    QFile(own).open(QIODevice::WriteOnly);
    const QStringList kept = entries(folder);

    const pid_t live = childWithTemporaries(folder);
    const pid_t killed = childWithTemporaries(folder);
    ASSERT_GT(live, 0);
    ASSERT_GT(killed, 0);
    EXPECT_EQ(entries(folder).size(), kept.size() + 4);
    ::kill(killed, SIGKILL);
    ::waitpid(killed, nullptr, 0);

    EXPECT_TRUE(tqen::files::runIsAlive(live));
    EXPECT_FALSE(tqen::files::runIsAlive(killed));
    EXPECT_EQ(tqen::files::removeDeadTemporaries(folder), 2);
    EXPECT_EQ(entries(folder).size(), kept.size() + 2);  // the live run's two stay
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
    EXPECT_EQ(tqen::files::removeDeadTemporaries(folder), 2);
    EXPECT_EQ(entries(folder), kept);
    EXPECT_TRUE(QFileInfo::exists(own));

    qint64 pid = 0;
    EXPECT_TRUE(tqen::files::isTemporaryName(QFileInfo(own).fileName(), &pid));
    EXPECT_EQ(pid, qint64(::getpid()));
    // Another machine's temporary is never judged by a process of this one.
    QFile(folder + "/TqenData.mdb.tqen-otherpc-1.part").open(QIODevice::WriteOnly);
    EXPECT_EQ(tqen::files::removeDeadTemporaries(folder), 0);
}

TEST(Temporaries, AStagingFolderGoesWithItsObject) {
    QTemporaryDir tmp;
    QString path;
    {
        tqen::files::TemporaryFolder stage(tmp.path(), "tqen-backup");
        ASSERT_TRUE(stage.isValid());
        path = stage.path();
        QFile(stage.filePath("Tqendata.mdb")).open(QIODevice::WriteOnly);
        EXPECT_TRUE(tqen::files::isTemporaryName(QFileInfo(path).fileName()));
    }
    EXPECT_FALSE(QFileInfo::exists(path));
}

}  // namespace
