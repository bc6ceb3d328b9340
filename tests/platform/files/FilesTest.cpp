// File copies on a medium that fills up: the user is told the real reason.
#include "platform/files/Files.h"

#include "tests/support/Tmpfs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <functional>

namespace {

class FullDisk : public tqen::testing::TmpfsTest {
protected:
    void SetUp() override {
        mountAt("small", "size=64k", "a full disk");
        if (IsSkipped() || HasFatalFailure()) return;
        small_ = mountPoint_;
        big_ = tmp_.path() + "/big";
        QFile f(big_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1 << 20, 'x'));
    }
    QString small_, big_;
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
