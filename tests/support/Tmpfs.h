#pragma once
// A small tmpfs mounted on a folder for the length of a test: a full disk, a
// write-protected disk, a medium taken out of its drive. Mounting needs root
// (CI runs as root); where it is not allowed, ok() is false and why() says
// so, for the test's skip line.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/mount.h>

namespace tqen::testing {

class Tmpfs {
public:
    Tmpfs(const QString &at, const char *options) : at_(QFile::encodeName(at)) {
        mounted_ = ::mount("tqen-test", at_.constData(), "tmpfs", 0, options) == 0;
        if (!mounted_) why_ = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~Tmpfs() {
        if (mounted_) ::umount2(at_.constData(), MNT_DETACH);
    }
    Tmpfs(const Tmpfs &) = delete;
    Tmpfs &operator=(const Tmpfs &) = delete;

    bool ok() const { return mounted_; }
    std::string why() const { return "mounting is not allowed here (" + why_.toStdString() + ")"; }
    void remountReadOnly() { ::mount("tqen-test", at_.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr); }
    // Takes the medium out now; false (errno set) when it could not be.
    bool unmount() {
        if (::umount2(at_.constData(), 0) != 0) return false;
        mounted_ = false;
        return true;
    }

private:
    QByteArray at_;
    QString why_;
    bool mounted_ = false;
};

// A test with a temporary folder and a tmpfs mounted on a folder in it, or
// skipped where mounting is not allowed.
class TmpfsTest : public ::testing::Test {
protected:
    // Mounts a tmpfs on tmp_ + "/" + folder; `what` ends the skip line.
    void mountAt(const QString &folder, const char *options, const char *what) {
        ASSERT_TRUE(tmp_.isValid());
        mountPoint_ = tmp_.path() + u'/' + folder;
        ASSERT_TRUE(QDir().mkpath(mountPoint_));
        mounted_ = std::make_unique<Tmpfs>(mountPoint_, options);
        if (!mounted_->ok()) GTEST_SKIP() << mounted_->why() << "; run as root to test " << what;
    }
    void TearDown() override { mounted_.reset(); }

    QTemporaryDir tmp_;
    QString mountPoint_;
    std::unique_ptr<Tmpfs> mounted_;
};

}  // namespace tqen::testing
