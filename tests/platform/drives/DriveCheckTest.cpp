// The disk checks of the floppy backup, goodDrive and writeTest, over a drive
// table made for the test.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/drives/DriveTable.h"
#include "tests/support/FolderTest.h"
#include "tests/support/Tmpfs.h"

namespace {

// The checks as the floppy code asks them, by a drive text (null: none).
int GoodDrive(const char *drive) { return drive && tqen::drives::goodDrive(QString::fromUtf8(drive)) ? 1 : 0; }
int WriteTest(const char *drive) { return drive && tqen::drives::writeTest(QString::fromUtf8(drive)) ? 1 : 0; }

class Drives : public tqen::testing::FolderTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FolderTest::SetUp());
        root_ = dir.path();
        QDir(root_).mkpath("floppy");
        QDir(root_).mkpath("usb stick/営業");
        ASSERT_NO_FATAL_FAILURE(writeFile(root_ + "/plain-file", "x"));
        // Drive A is a plain folder standing for a disk.
        ASSERT_NO_FATAL_FAILURE(writeFile(pointAt("TQEN_DRIVES", QStringLiteral("drives.conf")),
                                          QString("# test drives\nfixed = A\n"
                                                  "A=%1/floppy\n"
                                                  "B=%1/missing\n"
                                                  "C=%1\n"
                                                  "D=%1/plain-file\n"
                                                  "E=%1/usb stick/営業\n")
                                              .arg(root_)
                                              .toUtf8()));
    }

    QString root_;
};

TEST_F(Drives, GoodDriveAndWriteTestByDrive) {
    struct Case {
        const char *drive;
        int good, writable;
    } cases[] = {
        {"A:", 1, 1},  {"a:", 1, 1},  {"A:\\", 1, 1}, {"C:", 1, 1}, {"E:", 1, 1},
        {"B:", 0, 0},  // folder missing: no medium mounted
        {"D:", 0, 0},  // not a folder
        {"F:", 0, 0},  // not in the table
        {"G:", 0, 0},  {"", 0, 0},    {"AB:", 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(GoodDrive(c.drive) != 0, c.good != 0) << c.drive;
        EXPECT_EQ(WriteTest(c.drive) != 0, c.writable != 0) << c.drive;
    }
    EXPECT_EQ(GoodDrive(nullptr), 0);
    EXPECT_EQ(WriteTest(nullptr), 0);
}

// The table as the README writes it: A: is the floppy drive, and a folder
// with nothing mounted on it is no disk, also to the write test, which then
// leaves nothing on the disk below.
TEST_F(Drives, AFloppyFolderWithNothingMountedIsNoDisk) {
    ASSERT_NO_FATAL_FAILURE(
        writeFile(root_ + "/drives.conf", QString("A=%1/floppy\nB=%1/floppy\nE=%1/usb stick/営業\n").arg(root_).toUtf8()));
    for (const char *d : {"A:", "B:"}) {
        EXPECT_EQ(GoodDrive(d), 0) << d;
        EXPECT_EQ(WriteTest(d), 0) << d;
    }
    EXPECT_EQ(GoodDrive("E:"), 1);  // a fixed folder of the home disk
    EXPECT_TRUE(QDir(root_ + "/floppy").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(Drives, WriteTestLeavesNothingBehind) {
    QFile keep(root_ + "/floppy/Tqectl");
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("TqeFddNum = 1");
    keep.close();
    ASSERT_NE(WriteTest("A:"), 0);
    EXPECT_EQ(QDir(root_ + "/floppy").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Tqectl"});
}

TEST_F(Drives, ProtectedFolders) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    QFile::setPermissions(root_ + "/floppy", QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_NE(GoodDrive("A:"), 0);   // a write-protected disk is still a disk
    EXPECT_EQ(WriteTest("A:"), 0);
    QFile::setPermissions(root_ + "/floppy", QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(GoodDrive("A:"), 0);   // cannot be read
    QFile::setPermissions(root_ + "/floppy", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace

namespace {

// A real medium: a tmpfs mounted on the drive's folder, then taken away.
class RemovedMedium : public tqen::testing::TmpfsTest {
protected:
    void SetUp() override {
        mountAt("media/floppy", "size=1m", "a medium taken out of its drive");
        point_ = mountPoint_;
    }
    void TearDown() override {
        TmpfsTest::TearDown();
        qunsetenv("TQEN_DRIVES");
        qunsetenv("TQEN_FSTAB");
    }
    void table(const QByteArray &text) {
        QFile conf(tmp_.path() + "/drives.conf");
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
        conf.write(text);
        conf.close();
        qputenv("TQEN_DRIVES", (tmp_.path() + "/drives.conf").toUtf8());
    }
    void unmount() { ASSERT_TRUE(mounted_->unmount()) << std::strerror(errno); }
    QString point_;
};

TEST_F(RemovedMedium, AnEmptyMountPointOfARemovableDriveIsNoDisk) {
    // Drive A is marked removable; drive B has the same folder but is listed
    // in the file-system table; drive C is a plain folder and stays present.
    const QString fstab = tmp_.path() + "/fstab";
    QFile f(fstab);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("# test\n/dev/fd0 " + QString(point_).replace(" ", "\\040") + " vfat noauto,user 0 0\n").toUtf8());
    f.close();
    qputenv("TQEN_FSTAB", fstab.toUtf8());
    table(("removable = A\nA=" + point_ + "\nB=" + point_ + "\nC=" + tmp_.path() + "/media\n").toUtf8());

    for (const char *d : {"A:", "B:", "C:"}) {
        EXPECT_EQ(GoodDrive(d), 1) << d << " with a medium";
        EXPECT_EQ(WriteTest(d), 1) << d << " with a medium";
    }
    unmount();
    ASSERT_TRUE(QFileInfo(point_).isDir());
    for (const char *d : {"A:", "B:"}) {
        EXPECT_EQ(GoodDrive(d), 0) << d << " after the medium was taken out";
        EXPECT_EQ(WriteTest(d), 0) << d << " after the medium was taken out";
    }
    EXPECT_EQ(GoodDrive("C:"), 1);
    // Nothing was written onto the disk under the mount point.
    EXPECT_TRUE(QDir(point_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

}  // namespace

namespace {

// A stick under /mnt: a folder there holds a medium only while something is
// mounted between /mnt and the folder.
TEST(MediaFolders, AFolderUnderMntIsThereOnlyWhileMounted) {
    QTemporaryDir base(QStringLiteral("/mnt/tqen-test-XXXXXX"));
    if (!base.isValid()) GTEST_SKIP() << "cannot make a folder under /mnt here";
    const QString stick = base.path() + "/stick";
    ASSERT_TRUE(QDir().mkpath(stick + "/backups"));
    QFile conf(base.path() + "/drives.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(("E=" + stick + "\n").toUtf8());
    conf.close();
    qputenv("TQEN_DRIVES", conf.fileName().toUtf8());
    EXPECT_TRUE(tqen::drives::isRemovable("E:"));
    EXPECT_EQ(GoodDrive("E:"), 0);
    EXPECT_FALSE(tqen::drives::isOnMountedMedium(stick + "/backups"));
    EXPECT_FALSE(tqen::drives::isOnMountedMedium(stick));
    tqen::testing::Tmpfs medium(stick, "size=1m");
    if (!medium.ok()) {
        qunsetenv("TQEN_DRIVES");
        GTEST_SKIP() << medium.why();
    }
    ASSERT_TRUE(QDir().mkpath(stick + "/backups"));
    EXPECT_EQ(GoodDrive("E:"), 1);
    EXPECT_EQ(WriteTest("E:"), 1);
    EXPECT_TRUE(tqen::drives::isOnMountedMedium(stick + "/backups"));
    EXPECT_TRUE(tqen::drives::isOnMountedMedium(stick));
    qunsetenv("TQEN_DRIVES");
}

}  // namespace
