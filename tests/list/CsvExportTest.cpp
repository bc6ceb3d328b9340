// "CSV出力": the lines shown go to a file that Python's csv module reads back
// field for field, in UTF-8 with a byte-order mark or in CP932.
#include "tests/list/ListFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

// Runs a program with bytes on its standard input; its standard output.
QByteArray runProgram(const QString &program, const QStringList &args, const QByteArray &input, int *exitCode) {
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (*exitCode != 0) ADD_FAILURE() << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// The records of a CSV text as Python's csv module reads them.
QList<QStringList> parseWithPython(const QByteArray &utf8) {
    const char *script =
        "import csv, io, json, sys\n"
        "text = sys.stdin.buffer.read().decode('utf-8-sig')\n"
        "rows = list(csv.reader(io.StringIO(text, newline=''), strict=True))\n"
        "sys.stdout.write(json.dumps(rows))\n";
    int code = 0;
    const QByteArray json = runProgram(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script)}, utf8, &code);
    QList<QStringList> out;
    for (const QJsonValue &row : QJsonDocument::fromJson(json).array()) {
        QStringList fields;
        for (const QJsonValue &f : row.toArray()) fields << f.toString();
        out << fields;
    }
    return out;
}

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CsvExport : public tqen::testing::ListFixture {
protected:
    void addReports(const QList<QStringList> &reports) {
        for (const QStringList &r : reports)
            addRow(data(), QStringLiteral("営業日報"),
                   {{QStringLiteral("日付"), QDate::fromString(r[0], QStringLiteral("yyyy/MM/dd"))},
                    {QStringLiteral("顧客名"), r[1]}, {QStringLiteral("ふりがな"), r[2]}, {QStringLiteral("担当"), r[3]},
                    {QStringLiteral("タイトル"), r[4]}, {QStringLiteral("メモ"), r[5]}});
    }
    // Exports through the button and the save dialog, whose filter chooses
    // the encoding (1 UTF-8, 2 Shift-JIS); a file already there is replaced
    // after the answer given.
    void exportTo(const QString &path, int filter, int replaceAnswer = mb::IdYes) {
        const bool there = QFile::exists(path);
        script.choose(path, filter);
        if (there) script.answer(replaceAnswer);
        click("cmdCSV出力");
    }
    const QStringList header = {"日付", "顧客名", "ふりがな", "担当", "タイトル", "メモ", "確認", "確認者", "確認日時", "コメント", "次回予定"};
    // A report's line as written when nobody has confirmed it and it plans no next step.
    static QStringList unconfirmed(QStringList line) { return line << "未確認" << "" << "" << "" << ""; }
};

TEST_F(CsvExport, EveryFieldSurvivesTheRoundTripInBothEncodings) {
    // Newest first, then by reading; memos that trouble naive CSV writers.
    const QList<QStringList> reports = {
        {"2002/02/15", "山田商店", "やまだしょうてん", "佐藤", "見積, 再提出", "価格は\"特別\"です。\r\n次回は, 3日後"},
        {"2002/02/15", "青木工業", "あおきこうぎょう", "鈴木", "\"至急\"", "一行目\n二行目\n\n四行目"},
        {"2002/02/14", "株式会社①", "かぶしきがいしゃ", "佐藤", " 前後に空白 ", ""},
        {"2002/02/14", "髙橋商店", "たかはししょうてん", "佐藤", "～全角チルダ～", "半角ｶﾅ,と\"引用\""},
    };
    addReports(reports);
    load();
    read(QDate(2002, 2, 1), QDate(2002, 2, 28));
    ASSERT_EQ(grid->model()->rowCount(), 4);
    QList<QStringList> want = {header};
    for (int i : {1, 0, 2, 3}) want << unconfirmed(reports[i]);   // 2/15 by reading, then 2/14

    const QString utf8Path = tmp.filePath(QStringLiteral("一覧 utf8.csv"));
    exportTo(utf8Path, 1);
    // No second question: the dialog's filter said which encoding.
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.contains(utf8Path));
    const QByteArray utf8 = fileBytes(utf8Path);
    EXPECT_TRUE(utf8.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(parseWithPython(utf8), want);
    ASSERT_EQ(script.dialogs.size(), 1);
    EXPECT_TRUE(script.dialogs[0].save);
    EXPECT_EQ(script.dialogs[0].options.defaultName, QStringLiteral("日報一覧_20020201-20020228.csv"));

    const QString sjisPath = tmp.filePath(QStringLiteral("一覧 sjis.csv"));
    exportTo(sjisPath, 2);
    const QByteArray sjis = fileBytes(sjisPath);
    EXPECT_FALSE(sjis.startsWith("\xEF\xBB\xBF"));
    EXPECT_NE(sjis, utf8.mid(3));
    int code = 0;
    const QByteArray decoded = runProgram(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("CP932"), QStringLiteral("-t"), QStringLiteral("UTF-8")}, sjis, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(parseWithPython(decoded), want);
}

TEST_F(CsvExport, FourByteCharactersGoToUtf8AndAreNamedForCp932WithoutTouchingTheFile) {
    addReports({{"2002/02/14", "𠮷野家", "よしのや", "佐藤", "絵文字😀", "🍣と𩸽\r\n\"引用\", カンマ"}});
    load();
    read(QDate(2002, 2, 14), QDate(2002, 2, 14));
    const QString path = tmp.filePath(QStringLiteral("list.csv"));
    exportTo(path, 1);
    const QByteArray utf8 = fileBytes(path);
    EXPECT_EQ(parseWithPython(utf8),
              QList<QStringList>({header, unconfirmed({"2002/02/14", "𠮷野家", "よしのや", "佐藤", "絵文字😀", "🍣と𩸽\r\n\"引用\", カンマ"})}));

    // CP932 holds none of these: the first one met is named, and the UTF-8
    // file written before stays as it was.
    script.shown.clear();
    exportTo(path, 2);
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_EQ(script.shown[0].prompt, path + QStringLiteral(" は既に存在します。\n上書きしますか?"));
    EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("U+20BB7 CJK UNIFIED IDEOGRAPH-20BB7"))) << script.shown[1].prompt.toStdString();
    EXPECT_EQ(script.shown[1].style & mb::Exclamation, mb::Exclamation);
    EXPECT_EQ(fileBytes(path), utf8);
    EXPECT_EQ(QDir(tmp.path()).entryList({QStringLiteral("*.csv*")}, QDir::Files), QStringList{QStringLiteral("list.csv")});
}

TEST_F(CsvExport, WritesOnlyTheLinesShownAndAsksNothingForAnEmptyList) {
    addReports({{"2002/02/14", "山田商店", "やまだ", "佐藤", "同じ題", "一件目"},
                {"2002/02/14", "山田商店", "やまだ", "佐藤", "同じ題", "二件目"},
                {"2002/02/14", "青木工業", "あおき", "鈴木", "別", "出さない"}});
    load();
    // An empty list: a note, no dialog.
    click("cmdCSV出力");
    EXPECT_EQ(script.dialogs.size(), 0);
    ASSERT_EQ(script.shown.size(), 1);

    read(QDate(2002, 2, 14), QDate(2002, 2, 14), QStringLiteral("佐藤"));
    const QString path = tmp.filePath(QStringLiteral("list.csv"));
    exportTo(path, 1);
    QList<QStringList> got = parseWithPython(fileBytes(path));
    ASSERT_EQ(got.size(), 3);
    // Two reports alike but for the memo each keep their own memo.
    EXPECT_EQ(QSet<QString>({got[1][5], got[2][5]}), QSet<QString>({QStringLiteral("一件目"), QStringLiteral("二件目")}));

    // A cancelled dialog writes nothing; a file that is there is replaced
    // only after a yes.
    const QString other = tmp.filePath(QStringLiteral("other.csv"));
    script.choose(QString());
    click("cmdCSV出力");
    EXPECT_FALSE(QFile::exists(other));
    {
        QFile f(other);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's own table");
    }
    script.shown.clear();
    exportTo(other, 1, mb::IdNo);
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, other + QStringLiteral(" は既に存在します。\n上書きしますか?"));
    EXPECT_EQ(fileBytes(other), "the user's own table");
    exportTo(other, 1, mb::IdYes);
    EXPECT_EQ(parseWithPython(fileBytes(other)).size(), 3);
}

}  // namespace
