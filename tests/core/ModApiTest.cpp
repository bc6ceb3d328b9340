#include "core/ModApi.h"

#include "platform/forms/ScriptedInteraction.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

using namespace tqen::ModApi;

namespace {

TEST(ModApi, FilterBecomesDialogEntries) {
    // A description that names its pattern already shows it once.
    EXPECT_EQ(FilterList(QStringLiteral("MDB ファイル(*.mdb)|*.mdb|")), QStringList{QStringLiteral("MDB ファイル(*.mdb)")});
    EXPECT_EQ(FilterList(QStringLiteral("バックアップの書庫(TqenData-*.lzh)|TqenData-*.lzh|")),
              QStringList{QStringLiteral("バックアップの書庫(TqenData-*.lzh)")});
    // Another pattern than the description names is the one Qt must take.
    EXPECT_EQ(FilterList(QStringLiteral("MDB ファイル(*.mdb)|tqendata.mdb|")),
              QStringList{QStringLiteral("MDB ファイル(*.mdb) (tqendata.mdb)")});
    EXPECT_EQ(FilterList(QStringLiteral("LZH ファイル|*.lzh;*.LZH|")), QStringList{QStringLiteral("LZH ファイル (*.lzh *.LZH)")});
    EXPECT_EQ(FilterList(QStringLiteral("MDB|*.mdb|全て|*.*|")).size(), 2);
    EXPECT_TRUE(FilterList(QString()).isEmpty());
}

TEST(ModApi, DialogsFillTheRequest) {
    tqen::forms::ScriptedInteraction script;
    tqen::forms::ScopedInteraction scope(&script);
    script.choose(QStringLiteral("/home/user/my folder/Tqendata.mdb"));
    FileDialogRequest r;
    r.filter = QStringLiteral("MDB ファイル(*.mdb)|*.mdb|");
    r.title = QStringLiteral("ファイルの保存...");
    r.defaultName = QStringLiteral("Tqendata.mdb");
    r.initialFolder = QStringLiteral("/tmp");
    EXPECT_NE(SaveFileDialog(nullptr, r), 0);
    EXPECT_EQ(r.chosenPath, QStringLiteral("/home/user/my folder/Tqendata.mdb"));
    EXPECT_EQ(r.chosenName, QStringLiteral("Tqendata.mdb"));
    ASSERT_EQ(script.dialogs.size(), 1);
    EXPECT_TRUE(script.dialogs[0].save);
    EXPECT_EQ(script.dialogs[0].options.title, QStringLiteral("ファイルの保存..."));
    EXPECT_EQ(script.dialogs[0].options.defaultName, QStringLiteral("Tqendata.mdb"));

    // A cancelled dialog answers 0 and leaves the request's answers alone.
    FileDialogRequest cancelled;
    EXPECT_EQ(OpenFileDialog(nullptr, cancelled), 0);
    EXPECT_TRUE(cancelled.chosenPath.isEmpty());
}

TEST(ModApi, FileSizeOf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ファイル 1.bin"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(12345, 'x'));
    f.close();
    EXPECT_EQ(FileSizeOf(path), 12345);
    EXPECT_EQ(FileSizeOf(dir.filePath(QStringLiteral("missing"))), -1);
    EXPECT_EQ(FileSizeOf(dir.path()), -1);
    EXPECT_EQ(FileSizeOf(QString()), -1);
}

// A file that cannot be read still has its size. Root reads every file, so as
// root the look-up runs in a child process that has given root up.
TEST(ModApi, FileSizeOfAFileThatCannotBeRead) {
    QTemporaryDir dir;
    // Others may pass through the folder (to find the file) but not list it.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ExeGroup | QFile::ExeOther));
    const QString path = dir.filePath(QStringLiteral("読めない.mdb"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4321, 'x'));
    f.close();
    ASSERT_TRUE(QFile::setPermissions(path, {}));
    // 0: the file cannot be read and has its size; 2: it can be read after
    // all; 3: it cannot be seen at all; 1: the size is wrong.
    const auto look = [&] {
        if (!QFileInfo::exists(path)) return 3;
        QFile g(path);
        if (g.open(QIODevice::ReadOnly)) return 2;
        return FileSizeOf(path) == 4321 && FileSizeOf(path + u'x') == -1 ? 0 : 1;
    };
    int result = 0;
    if (geteuid() != 0) {
        result = look();
    } else {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(4);
            _exit(look());
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
        if (result == 3 || result == 4) GTEST_SKIP() << "a user other than root cannot reach " << path.toStdString();
    }
    EXPECT_NE(result, 2) << "the file was readable: nothing was tested";
    EXPECT_EQ(result, 0);
}

}  // namespace
