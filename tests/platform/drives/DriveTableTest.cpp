#include "platform/drives/DriveTable.h"

#include <gtest/gtest.h>

#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

class DriveTableTest : public tqen::testing::FolderTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FolderTest::SetUp());
        conf = pointAt("TQEN_DRIVES", QStringLiteral("drives.conf"));
    }
    void write(const QByteArray &text) { writeFile(conf, text); }
    QString conf;
};

TEST_F(DriveTableTest, CDefaultsToHomeOtherDrivesToNothing) {
    EXPECT_EQ(tqen::drives::folderOf("C:"), QDir::cleanPath(QDir::homePath()));
    EXPECT_EQ(tqen::drives::folderOf("A:"), QString());
    EXPECT_EQ(tqen::drives::toLocalPath("A:\\tqe_d001"), QString());
}

TEST_F(DriveTableTest, TableEntriesAndSpellings) {
    write("# floppy\nA=/media/floppy/\n  b = /mnt/usb\nC=/srv/c\nbroken line\n");
    struct Case { const char *in; const char *out; } cases[] = {
        {"A:", "/media/floppy"}, {"a", "/media/floppy"}, {"A:\\", "/media/floppy"},
        {"B:", "/mnt/usb"},      {"C:", "/srv/c"},       {"D:", ""},
        {"", ""},                {"AB:", ""},            {"1:", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tqen::drives::folderOf(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST_F(DriveTableTest, WindowsPathsBecomeLocalPaths) {
    write("A=/media/floppy\nC=/\n");
    struct Case { const char *in; const char *out; } cases[] = {
        {"A:\\tqe_d001", "/media/floppy/tqe_d001"},
        {"a:tqectl", "/media/floppy/tqectl"},
        {"c:\\qmtdevelop.txt", "/qmtdevelop.txt"},
        {"c:\\develop2\\tq\\tqen\\data\\", "/develop2/tq/tqen/data/"},
        {"data\\TqenWork.mdb", "data/TqenWork.mdb"},
        {"/already/local", "/already/local"},
        {"G:\\x", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tqen::drives::toLocalPath(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

// Which drives are removable: the floppy drives by default, named ones, mount
// points of the file-system table and folders under the media roots; a
// "fixed" line makes any of them a plain folder.
TEST_F(DriveTableTest, RemovableDrivesByDefaultByNameAndByWhereTheyAreMounted) {
    ASSERT_NO_FATAL_FAILURE(writeFile(pointAt("TQEN_FSTAB", QStringLiteral("fstab")),
                                      "# test\nUUID=1 / ext4 defaults 0 1\n/dev/sdb1 /srv/usb\\040stick vfat noauto,user 0 0\n"));
    const struct {
        const char *table;
        const char *drive;
        bool removable;
    } cases[] = {
        {"A=/home/u/floppy\n", "A:", true},
        {"B=/home/u/floppy\n", "b", true},
        {"A=/home/u/floppy\nfixed = A\n", "A:", false},
        {"E=/home/u/stick\n", "E:", false},
        {"E=/home/u/stick\nremovable = D, E\n", "E:", true},
        {"E=/srv/usb stick\n", "E:", true},
        {"E=/srv/usb stick/sub\n", "E:", false},
        {"E=/media/floppy\n", "E:", true},
        {"E=/run/media/u/STICK\n", "E:", true},
        {"E=/mnt/usb\n", "E:", true},
        {"E=/mnt\n", "E:", false},
        {"E=/mntx/usb\n", "E:", false},
        {"E=/mnt/usb\nfixed=E\n", "E:", false},
        {"C=/\n", "C:", false},
        {"", "G:", false},
    };
    for (const auto &c : cases) {
        write(c.table);
        EXPECT_EQ(tqen::drives::isRemovable(QString::fromUtf8(c.drive)), c.removable) << c.table << c.drive;
    }
}

// A folder below an unmounted mount point of the file-system table is a
// folder of the disk below, not of the medium.
TEST_F(DriveTableTest, AFolderBelowAnUnmountedMountPointIsNoMedium) {
    const QString point = dir.path() + "/usb stick";
    ASSERT_TRUE(QDir().mkpath(point + "/backups"));
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/plain/backups"));
    ASSERT_NO_FATAL_FAILURE(writeFile(pointAt("TQEN_FSTAB", QStringLiteral("fstab")),
                                      "/dev/sdb1 " + QString(point).replace(" ", "\\040").toUtf8() + " vfat noauto,user 0 0\n"));
    EXPECT_FALSE(tqen::drives::isOnMountedMedium(point));
    EXPECT_FALSE(tqen::drives::isOnMountedMedium(point + "/backups"));
    EXPECT_TRUE(tqen::drives::isOnMountedMedium(dir.path() + "/plain/backups"));
    EXPECT_FALSE(tqen::drives::isOnMountedMedium(dir.path() + "/missing"));
    EXPECT_FALSE(tqen::drives::isOnMountedMedium(QString()));
}

// The table lives in the user's config folder unless $TQEN_DRIVES names it.
TEST_F(DriveTableTest, ConfigPathFollowsTheUsersConfigFolderUnlessOverridden) {
    const QString config = pointAt("XDG_CONFIG_HOME", QStringLiteral("config"));
    EXPECT_EQ(tqen::drives::configPath(), conf);
    qunsetenv("TQEN_DRIVES");
    EXPECT_EQ(tqen::drives::configPath(), config + "/tqen/drives.conf");
    ASSERT_TRUE(QDir().mkpath(config + "/tqen"));
    ASSERT_NO_FATAL_FAILURE(writeFile(config + "/tqen/drives.conf", "A=/media/floppy\n"));
    EXPECT_EQ(tqen::drives::folderOf("A:"), QStringLiteral("/media/floppy"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(tqen::drives::configPath(), QDir::homePath() + "/.config/tqen/drives.conf");
}

}  // namespace
