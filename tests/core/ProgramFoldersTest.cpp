#include "core/ProgramFolders.h"
#include "tests/support/FolderTest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tqen;

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void writeAll(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}
// Every file under a folder with its contents, to see that nothing changed.
QMap<QString, QByteArray> snapshot(const QString &root) {
    QMap<QString, QByteArray> out;
    const QDir base(root);
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(base.relativeFilePath(path), readAll(path));
    }
    return out;
}

class Folders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        xdg = tmp.filePath(QStringLiteral("xdg data"));
        xdgHome = std::make_unique<tqen::testing::ScopedEnv>("XDG_DATA_HOME", xdg.toUtf8());
        prefix = tmp.filePath(QStringLiteral("prefix"));
        bin = prefix + QStringLiteral("/bin");
        QDir().mkpath(bin);
    }
    void TearDown() override { xdgHome.reset(); }
    // An installed tree: the delivered data files and a help page.
    void install() {
        writeAll(prefix + QStringLiteral("/share/tqen/data/TqenData.mdb"), "delivered data");
        writeAll(prefix + QStringLiteral("/share/tqen/data/TqenWork.mdb"), "delivered work");
        writeAll(prefix + QStringLiteral("/share/tqen/help/VoRadu1.htm"), "<html></html>");
    }
    QString user(const char *name) const { return xdg + QStringLiteral("/tqen/data/") + QString::fromUtf8(name); }

    QTemporaryDir tmp;
    std::unique_ptr<tqen::testing::ScopedEnv> xdgHome;
    QString xdg, prefix, bin;
};

TEST_F(Folders, ADataFolderBesideTheProgramIsUsedAsItIs) {
    install();  // even with an installed tree around it
    QDir().mkpath(bin + QStringLiteral("/data"));
    Error error;
    const ProgramFolders f = ResolveProgramFolders(bin, &error);
    EXPECT_TRUE(error.ok());
    EXPECT_FALSE(f.installed);
    EXPECT_EQ(f.data, bin + QStringLiteral("/data/"));
    EXPECT_EQ(f.help, bin + QStringLiteral("/help/"));
    EXPECT_FALSE(QFileInfo::exists(xdg)) << "nothing is copied for a program in its build folder";
}

TEST_F(Folders, WithoutEitherLayoutTheFolderBesideTheProgramIsNamed) {
    const ProgramFolders f = ResolveProgramFolders(bin);
    EXPECT_FALSE(f.installed);
    EXPECT_EQ(f.data, bin + QStringLiteral("/data/"));
    EXPECT_FALSE(QFileInfo::exists(xdg));
}

TEST_F(Folders, FirstStartOfAnInstalledProgramCopiesTheDeliveredFiles) {
    install();
    const auto before = snapshot(prefix);
    Error error;
    const ProgramFolders f = ResolveProgramFolders(bin, &error);
    ASSERT_TRUE(error.ok()) << error.message().toStdString();
    EXPECT_TRUE(f.installed);
    EXPECT_EQ(f.data, xdg + QStringLiteral("/tqen/data/"));
    EXPECT_EQ(f.help, prefix + QStringLiteral("/share/tqen/help/"));
    EXPECT_EQ(readAll(user("TqenData.mdb")), "delivered data");
    EXPECT_EQ(readAll(user("TqenWork.mdb")), "delivered work");
    EXPECT_EQ(snapshot(prefix), before) << "nothing is written under the prefix";
}

// The user's files are theirs: a later start only adds what is missing.
TEST_F(Folders, LaterStartsKeepTheUsersFiles) {
    struct Case {
        const char *name;
        QByteArray data, work;            // what the user's folder holds; empty = no file
        QByteArray wantData, wantWork;
    };
    const Case cases[] = {
        {"both kept", "my data", "my work", "my data", "my work"},
        {"missing work file added", "my data", "", "my data", "delivered work"},
        {"missing data file added", "", "my work", "delivered data", "my work"},
        {"neither there: both delivered", "", "", "delivered data", "delivered work"},
    };
    install();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(xdg).removeRecursively();
        if (!c.data.isEmpty()) writeAll(user("TqenData.mdb"), c.data);
        if (!c.work.isEmpty()) writeAll(user("TqenWork.mdb"), c.work);
        Error error;
        ResolveProgramFolders(bin, &error);
        EXPECT_TRUE(error.ok());
        EXPECT_EQ(readAll(user("TqenData.mdb")), c.wantData);
        EXPECT_EQ(readAll(user("TqenWork.mdb")), c.wantWork);
    }
}

TEST_F(Folders, UsersCopyOfAReadOnlyDeliveredFileIsWritable) {
    install();
    const QString delivered = prefix + QStringLiteral("/share/tqen/data/TqenWork.mdb");
    QFile::setPermissions(delivered, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ResolveProgramFolders(bin);
    EXPECT_TRUE(QFile::permissions(user("TqenWork.mdb")) & QFile::WriteOwner);
}

TEST_F(Folders, AUserFolderThatCannotBeMadeIsReported) {
    install();
    // A file where the user's data folder should be.
    writeAll(xdg + QStringLiteral("/tqen/data"), "in the way");
    Error error;
    const ProgramFolders f = ResolveProgramFolders(bin, &error);
    EXPECT_EQ(error.code(), Error::Code::FileFailed);
    EXPECT_TRUE(error.text().contains(f.data)) << error.text().toStdString();
    EXPECT_TRUE(f.installed);
    EXPECT_EQ(f.help, prefix + QStringLiteral("/share/tqen/help/"));
}

}  // namespace
