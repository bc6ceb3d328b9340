#include "core/ModApi.h"

#include "platform/forms/ScriptedInteraction.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace tqen::ModApi;

namespace {

TEST(ModApi, FilterBecomesDialogEntries) {
    EXPECT_EQ(FilterList(QStringLiteral("MDB ファイル(*.mdb)|*.mdb|")),
              QStringList{QStringLiteral("MDB ファイル(*.mdb) (*.mdb)")});
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

}  // namespace
