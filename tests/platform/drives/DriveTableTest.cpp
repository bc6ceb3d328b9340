#include "platform/drives/DriveTable.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class DriveTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        conf = dir.path() + "/drives.conf";
        qputenv("TQEN_DRIVES", conf.toUtf8());
    }
    void TearDown() override { qunsetenv("TQEN_DRIVES"); }
    void write(const QByteArray &text) {
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir dir;
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

// The table lives in the user's config folder unless $TQEN_DRIVES names it.
TEST_F(DriveTableTest, ConfigPathFollowsTheUsersConfigFolderUnlessOverridden) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString config = dir.path() + "/config";
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    EXPECT_EQ(tqen::drives::configPath(), conf);
    qunsetenv("TQEN_DRIVES");
    EXPECT_EQ(tqen::drives::configPath(), config + "/tqen/drives.conf");
    ASSERT_TRUE(QDir().mkpath(config + "/tqen"));
    QFile f(config + "/tqen/drives.conf");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("A=/media/floppy\n");
    f.close();
    EXPECT_EQ(tqen::drives::folderOf("A:"), QStringLiteral("/media/floppy"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(tqen::drives::configPath(), QDir::homePath() + "/.config/tqen/drives.conf");
    if (!saved.isNull()) qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
