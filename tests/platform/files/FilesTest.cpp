// File copies on a medium that fills up: the user is told the real reason.
#include "platform/files/Files.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <functional>

namespace {

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp_.isValid());
        small_ = tmp_.path() + "/small";
        ASSERT_TRUE(QDir().mkpath(small_));
        if (::mount("tqen-test", QFile::encodeName(small_).constData(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "mounting is not allowed here (" << std::strerror(errno)
                         << "); run as root to test a full disk";
        mounted_ = true;
        big_ = tmp_.path() + "/big";
        QFile f(big_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1 << 20, 'x'));
    }
    void TearDown() override {
        if (mounted_) ::umount2(QFile::encodeName(small_).constData(), MNT_DETACH);
    }
    QTemporaryDir tmp_;
    QString small_, big_;
    bool mounted_ = false;
};

TEST_F(FullDisk, EveryCopySaysTheDiskIsFullAndLeavesNoPart) {
    using namespace tqen::files;
    const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
    const struct {
        const char *what;
        std::function<tqen::Error(const QString &, const QString &)> copy;
    } cases[] = {
        {"copyFile", [](const QString &from, const QString &to) { return copyFile(from, to); }},
        {"copyRange", [](const QString &from, const QString &to) { return copyRange(from, 0, 1 << 20, to); }},
        {"appendFile", [](const QString &from, const QString &to) { return appendFile(from, to); }},
    };
    for (const auto &c : cases) {
        const QString to = small_ + "/copy";
        QFile::remove(to);
        if (QString(c.what) == "appendFile") {
            QFile f(to);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        const QString error = c.copy(big_, to).text();
        EXPECT_TRUE(error.contains(noSpace)) << c.what << ": " << error.toStdString();
        if (QString(c.what) != "appendFile") {
            EXPECT_FALSE(QFile::exists(to)) << c.what;
            EXPECT_TRUE(QDir(small_).entryList(QDir::Files | QDir::Hidden).isEmpty()) << c.what;
        }
    }
}

}  // namespace
