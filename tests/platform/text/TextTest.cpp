// CSV quoting, the two encodings, character names, and a file that is either
// wholly written or left as it was.
#include "platform/text/Csv.h"
#include "platform/text/Encoding.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tqen;
using namespace tqen::text;

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        const char *in, *out;
    } cases[] = {
        {"", ""},
        {"山田商店", "山田商店"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"cr\r\nlf", "\"cr\r\nlf\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"in side", "in side"},
    };
    for (const auto &c : cases) EXPECT_EQ(csvField(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(csvRecord({QStringLiteral("a"), QString(), QStringLiteral("b,c")}), QStringLiteral("a,,\"b,c\"\r\n"));
}

TEST(Csv, CellsASpreadsheetWouldTakeForFormulasStayText) {
    const struct {
        QString in, out;
    } cases[] = {
        {QStringLiteral("=HYPERLINK(\"http://x\",\"y\")"), QStringLiteral("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"")},
        {QStringLiteral("=cmd|' /C calc'!A0"), QStringLiteral("'=cmd|' /C calc'!A0")},
        {QStringLiteral("+1+1"), QStringLiteral("'+1+1")},
        {QStringLiteral("-2+3"), QStringLiteral("'-2+3")},
        {QStringLiteral("@SUM(A1)"), QStringLiteral("'@SUM(A1)")},
        {QStringLiteral("\t=1"), QStringLiteral("'\t=1")},
        {QStringLiteral("\r=1"), QStringLiteral("\"'\r=1\"")},
        {QStringLiteral("a=b"), QStringLiteral("a=b")},
        {QStringLiteral("2002/02/14"), QStringLiteral("2002/02/14")},
        {QString::fromUtf16(u"a\0b", 3), QStringLiteral("ab")},
        {QString::fromUtf16(u"\0=1", 3), QStringLiteral("'=1")},
    };
    for (const auto &c : cases) EXPECT_EQ(csvField(c.in), c.out) << c.in.toStdString();

    // The same in both encodings of the file.
    QTemporaryDir tmp;
    for (const Encoding enc : {Encoding::Utf8Bom, Encoding::Cp932}) {
        const QString path = tmp.filePath(QStringLiteral("f.csv"));
        ASSERT_TRUE(writeCsv(path, {{QStringLiteral("=1+1"), QString::fromUtf16(u"x\0", 2)}}, enc).ok());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray b = f.readAll();
        if (b.startsWith("\xEF\xBB\xBF")) b.remove(0, 3);
        EXPECT_EQ(b, QByteArray("'=1+1,x\r\n"));
    }
}

TEST(Encoding, Utf8CarriesAByteOrderMark) {
    QByteArray out;
    ASSERT_TRUE(encode(QStringLiteral("日報😀"), Encoding::Utf8Bom, &out).ok());
    EXPECT_EQ(out, QByteArray("\xEF\xBB\xBF") + QStringLiteral("日報😀").toUtf8());
}

TEST(Encoding, Cp932WritesShiftJisBytes) {
    QByteArray out;
    // 日 = 93FA, ① = 8740 (an NEC row of CP932), ｱ = B1 (half-width).
    ASSERT_TRUE(encode(QStringLiteral("A日①ｱ"), Encoding::Cp932, &out).ok());
    EXPECT_EQ(out, QByteArray("A\x93\xFA\x87\x40\xB1"));
}

TEST(Encoding, ACharacterCp932CannotHoldIsNamedWithItsPlace) {
    const struct {
        QString text;
        const char *named;
        const char *place;
    } cases[] = {
        {QStringLiteral("日報\n笑顔😀です"), "U+1F600 GRINNING FACE", "2 行目 3 文字目"},
        {QStringLiteral("caf\u00e9"), "U+00E9 LATIN SMALL LETTER E WITH ACUTE", "1 行目 4 文字目"},
        {QStringLiteral("ok\u20ac"), "U+20AC EURO SIGN", "1 行目 3 文字目"},
    };
    for (const auto &c : cases) {
        QByteArray out("left over");
        const Error e = encode(c.text, Encoding::Cp932, &out);
        EXPECT_EQ(e.code(), Error::Code::BadInput) << c.named;
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.named))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.place))) << e.text().toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_EQ(characterName(0x65E5), QStringLiteral("U+65E5 CJK UNIFIED IDEOGRAPH-65E5"));
}

TEST(Csv, AFileIsWhollyWrittenOrLeftAsItWas) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("list.csv"));
    ASSERT_TRUE(writeCsv(path, {{QStringLiteral("日付"), QStringLiteral("メモ")}, {QStringLiteral("2002/02/14"), QStringLiteral("a,b")}},
                         Encoding::Cp932)
                    .ok());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    EXPECT_EQ(before, QByteArray("\x93\xFA\x95\x74,\x83\x81\x83\x82\r\n2002/02/14,\"a,b\"\r\n"));

    // The second record cannot be written in CP932: the old file stays whole.
    const Error e = writeCsv(path, {{QStringLiteral("x")}, {QStringLiteral("😀")}}, Encoding::Cp932);
    EXPECT_EQ(e.code(), Error::Code::BadInput);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("list.csv")});

    // A folder that does not exist is a failure, not a success.
    EXPECT_EQ(writeCsv(tmp.filePath(QStringLiteral("no/such/list.csv")), {{QStringLiteral("x")}}, Encoding::Utf8Bom).code(),
              Error::Code::FileFailed);
}
