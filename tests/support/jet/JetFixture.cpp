#include "tests/support/jet/JetFixture.h"

#include <QDate>
#include <QDateTime>
#include <QFile>

#include <array>
#include <cstring>

#include <iconv.h>

namespace tqen::testing::jetfile {
namespace {

// Jet 4: pages of 4,096 bytes; data pages hold type, 1, free space, the
// owner's definition page, 4 unknown bytes, the row count at 12, then one
// 2-byte offset per row. Jet 3: pages of 2,048 bytes, the row count at 8.
struct Format {
    bool jet3 = false;
    int page = 4096;
    int rowCount = 12;
};
constexpr int kCatalogPage = 2;

void put16(QByteArray &b, int at, quint32 v) {
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}
void put32(QByteArray &b, int at, quint32 v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xff);
}
void append16(QByteArray &b, quint32 v) {
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}
void append32(QByteArray &b, quint32 v) {
    for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xff));
}

// The stream cipher that hides part of the header page (a plain RC4).
void rc4(const std::array<unsigned char, 4> &key, unsigned char *data, int n) {
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % key.size()]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int k = 0, i = 0, j = 0; k < n; ++k) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[k] ^= s[(s[i] + s[j]) & 0xff];
    }
}

bool isFixed(Type t) { return t != Type::Text && t != Type::Memo; }
int fixedSize(Type t) {
    switch (t) {
    case Type::Bool: return 0;
    case Type::Short: return 2;
    case Type::Long: return 4;
    case Type::DateTime: return 8;
    default: return 0;
    }
}

// Text as stored: UCS-2 little-endian, or the compressed form (FF FE, then one
// byte per character) when every character fits a byte and it is shorter.
QByteArray textBytes(const QString &s, bool compress) {
    bool narrow = compress && s.size() > 2;
    for (QChar c : s)
        if (c.unicode() == 0 || c.unicode() > 0xff) narrow = false;
    QByteArray out;
    if (narrow) {
        out.append(char(0xff));
        out.append(char(0xfe));
        for (QChar c : s) out.append(char(c.unicode()));
        return out;
    }
    for (QChar c : s) append16(out, c.unicode());
    return out;
}

// Jet 3 texts: the Windows code page of a Japanese office.
QByteArray cp932(const QString &s) {
    const QByteArray in = s.toUtf8();
    QByteArray out(in.size() * 2 + 4, '\0');
    iconv_t cd = iconv_open("CP932", "UTF-8");
    char *src = const_cast<char *>(in.constData());
    char *dst = out.data();
    size_t left = size_t(in.size()), room = size_t(out.size());
    iconv(cd, &src, &left, &dst, &room);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(room));
    return out;
}

double oleDate(const QVariant &v) {
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    QDateTime when = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
    const qint64 secs = base.secsTo(when);
    return double(secs) / 86400.0;
}

// A data page being filled from its end.
struct DataPage {
    Format f;
    QByteArray bytes;
    int rows = 0;
    int freeEnd = 0;

    DataPage(const Format &format, quint32 owner, bool lval = false)
        : f(format), bytes(format.page, '\0'), freeEnd(format.page) {
        bytes[0] = 0x01;
        bytes[1] = 0x01;
        if (lval)
            std::memcpy(bytes.data() + 4, "LVAL", 4);
        else
            put32(bytes, 4, owner);
        updateFree();
    }
    int room() const { return freeEnd - (f.rowCount + 2 + 2 * (rows + 1)); }
    // The row's number on the page.
    int add(const QByteArray &row) {
        freeEnd -= int(row.size());
        std::memcpy(bytes.data() + freeEnd, row.constData(), size_t(row.size()));
        put16(bytes, f.rowCount + 2 + 2 * rows, quint32(freeEnd));
        ++rows;
        put16(bytes, f.rowCount, quint32(rows));
        updateFree();
        return rows - 1;
    }
    void updateFree() { put16(bytes, 2, quint32(freeEnd - (f.rowCount + 2 + 2 * rows))); }
};

class Writer {
public:
    explicit Writer(const Options &o) : options(o) {
        if (o.version == 0x00) fmt = Format{true, 2048, 8};
        pages.resize(4);  // header, global map, catalog definition, map rows
        mapPage = std::make_unique<DataPage>(fmt, 0);
    }

    QByteArray text(const QString &s) const { return fmt.jet3 ? cp932(s) : textBytes(s, options.compressText); }
    // A row's counts and offsets: 1 byte in Jet 3, 2 in Jet 4.
    void appendSmall(QByteArray &row, quint32 v) const {
        if (fmt.jet3)
            row.append(char(v & 0xff));
        else
            append16(row, v);
    }

    struct Placed {
        quint32 tdef = 0;
        QList<quint32> dataPages;
    };

    int newPage() {
        pages.append(QByteArray(fmt.page, '\0'));
        return int(pages.size()) - 1;
    }

    // A long value on LVAL pages; the pointer ("page << 8 | row") and the
    // memo header's flags.
    QByteArray memoField(const QByteArray &data) {
        QByteArray field;
        if (data.size() <= (fmt.jet3 ? 64 : 200)) {
            append32(field, quint32(data.size()) | 0x80000000u);
            append32(field, 0);
            append32(field, 0);
            field.append(data);
            return field;
        }
        const int oneRow = fmt.page - fmt.rowCount - 2 - 2;
        if (data.size() <= oneRow) {
            const quint32 ptr = placeLval(data);
            append32(field, quint32(data.size()) | 0x40000000u);
            append32(field, ptr);
            append32(field, 0);
            return field;
        }
        // Chained: each piece starts with the pointer to the next; written
        // from the last piece back so every piece knows its successor.
        const int piece = oneRow - 4;
        QList<QByteArray> pieces;
        for (qsizetype at = 0; at < data.size(); at += piece) pieces.append(data.mid(at, piece));
        quint32 next = 0;
        for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
            QByteArray row;
            append32(row, next);
            row.append(pieces[i]);
            next = placeLval(row);
        }
        append32(field, quint32(data.size()));
        append32(field, next);
        append32(field, 0);
        return field;
    }

    quint32 placeLval(const QByteArray &row) {
        if (!lval || lval->room() < row.size()) {
            flushLval();
            lval = std::make_unique<DataPage>(fmt, 0, true);
            lvalNumber = newPage();
        }
        const int r = lval->add(row);
        return (quint32(lvalNumber) << 8) | quint32(r);
    }
    void flushLval() {
        if (lval) pages[lvalNumber] = lval->bytes;
        lval.reset();
    }

    QByteArray packRow(const Table &t, const QList<QVariant> &values) {
        const qsizetype n = t.columns.size();
        QByteArray row;
        appendSmall(row, quint32(n));
        QByteArray mask((n + 7) / 8, '\0');
        auto setBit = [&mask](qsizetype i) { mask[i / 8] = char(mask[i / 8] | (1 << (i % 8))); };
        for (qsizetype i = 0; i < n; ++i) {
            const Column &c = t.columns[i];
            const QVariant v = i < values.size() ? values[i] : QVariant();
            if (!isFixed(c.type)) continue;
            QByteArray bytes(fixedSize(c.type), '\0');
            if (c.type == Type::Bool) {
                if (!v.isNull() && v.toBool()) setBit(i);
                continue;
            }
            if (!v.isNull()) {
                setBit(i);
                if (c.type == Type::Short) put16(bytes, 0, quint32(v.toInt()));
                if (c.type == Type::Long) put32(bytes, 0, quint32(v.toInt()));
                if (c.type == Type::DateTime) {
                    const double d = oleDate(v);
                    std::memcpy(bytes.data(), &d, 8);
                }
            }
            row.append(bytes);
        }
        QList<int> varStarts;
        for (qsizetype i = 0; i < n; ++i) {
            const Column &c = t.columns[i];
            if (isFixed(c.type)) continue;
            const QVariant v = i < values.size() ? values[i] : QVariant();
            varStarts.append(int(row.size()));
            if (v.isNull()) continue;
            setBit(i);
            const QByteArray bytes = text(v.toString());
            row.append(c.type == Type::Memo ? memoField(bytes) : bytes);
        }
        if (!varStarts.isEmpty()) {
            appendSmall(row, quint32(row.size()));  // end of the data
            for (qsizetype i = varStarts.size() - 1; i >= 0; --i) appendSmall(row, quint32(varStarts[i]));
            appendSmall(row, quint32(varStarts.size()));
        }
        row.append(mask);
        // Jet 3 rows of 256 bytes and more need a jump table, which this
        // writer does not make: such rows are a mistake in the test data.
        Q_ASSERT(!fmt.jet3 || row.size() < 256);
        return row;
    }

    // Rows onto data pages of their own; the pages' numbers.
    QList<quint32> placeRows(quint32 tdef, const Table &t) {
        QList<quint32> used;
        std::unique_ptr<DataPage> page;
        int number = 0;
        for (const QList<QVariant> &values : t.rows) {
            const QByteArray row = packRow(t, values);
            if (!page || page->room() < row.size()) {
                if (page) pages[number] = page->bytes;
                page = std::make_unique<DataPage>(fmt, tdef);
                number = newPage();
                used.append(quint32(number));
            }
            page->add(row);
        }
        if (page) pages[number] = page->bytes;
        return used;
    }

    // The usage map of a table (type 0: first page, then one bit per page)
    // and its free-space map, as two rows of the map page.
    std::pair<quint32, quint32> placeMaps(const QList<quint32> &used) {
        const quint32 first = used.isEmpty() ? 0 : used.first();
        const quint32 last = used.isEmpty() ? 0 : used.last();
        QByteArray map(5 + int((last - first) / 8 + 1), '\0');
        map[0] = 0;
        put32(map, 1, first);
        for (quint32 p : used) map[5 + int((p - first) / 8)] = char(map[5 + int((p - first) / 8)] | (1 << ((p - first) % 8)));
        QByteArray freeMap(map.size(), '\0');
        put32(freeMap, 1, first);
        const int a = mapPage->add(map);
        const int b = mapPage->add(freeMap);
        return {(3u << 8) | quint32(a), (3u << 8) | quint32(b)};
    }

    QByteArray tableDefinition(const Table &t, quint32 rows, std::pair<quint32, quint32> maps, bool system) {
        QByteArray p(fmt.page, '\0');
        p[0] = 0x02;
        p[1] = 0x01;
        if (fmt.jet3) std::memcpy(p.data() + 2, "VC", 2);
        put32(p, 4, 0);
        put32(p, 12, rows);
        int vars = 0;
        for (const Column &c : t.columns)
            if (!isFixed(c.type)) ++vars;
        // Jet 3's block is 20 bytes shorter: its counts start at 21, not 41.
        const int counts = fmt.jet3 ? 21 : 41;
        if (!fmt.jet3) put32(p, 16, rows);
        p[counts - 1] = char(system ? 0x53 : 0x4e);
        put16(p, counts, quint32(t.columns.size()));
        put16(p, counts + 2, quint32(vars));
        put16(p, counts + 4, quint32(t.columns.size()));
        put32(p, counts + 6, 0);
        put32(p, counts + 10, 0);
        put32(p, counts + 14, maps.first);
        put32(p, counts + 18, maps.second);
        int at = counts + 22;
        const int entry = fmt.jet3 ? 18 : 25;
        const int shift = fmt.jet3 ? 0 : 4;  // Jet 4 has 4 more bytes after the type
        int fixedOffset = 0, varIndex = 0;
        for (qsizetype i = 0; i < t.columns.size(); ++i) {
            const Column &c = t.columns[i];
            QByteArray e(entry, '\0');
            e[0] = char(c.type);
            put16(e, 1 + shift, quint32(i));
            put16(e, 5 + shift, quint32(i));
            const bool textual = c.type == Type::Text || c.type == Type::Memo;
            if (textual) put16(e, 7 + shift, 0x0409);
            if (textual && fmt.jet3) put16(e, 9, 932);  // the code page
            const bool fixed = isFixed(c.type);
            const int flags = fmt.jet3 ? 13 : 15;
            e[flags] = char((fixed ? 0x01 : 0x00) | 0x02);
            if (textual && !fmt.jet3) e[16] = 0x01;  // may be compressed
            const int offsetF = fmt.jet3 ? 14 : 21, length = fmt.jet3 ? 16 : 23;
            if (fixed) {
                put16(e, offsetF, quint32(fixedOffset));
                fixedOffset += fixedSize(c.type);
                put16(e, length, quint32(fixedSize(c.type)));
            } else {
                put16(e, 3 + shift, quint32(varIndex++));
                put16(e, length, c.type == Type::Text ? quint32(c.maxChars * (fmt.jet3 ? 1 : 2)) : 0);
            }
            std::memcpy(p.data() + at, e.constData(), size_t(entry));
            at += entry;
        }
        for (const Column &c : t.columns) {
            const QByteArray name = fmt.jet3 ? cp932(c.name) : textBytes(c.name, false);
            if (fmt.jet3) {
                p[at] = char(name.size());
                at += 1;
            } else {
                put16(p, at, quint32(name.size()));
                at += 2;
            }
            std::memcpy(p.data() + at, name.constData(), size_t(name.size()));
            at += int(name.size());
        }
        put16(p, at, 0xffff);  // no usage maps per column
        at += 2;
        put32(p, 8, quint32(at - 8));
        if (!fmt.jet3) put16(p, 2, quint32(fmt.page - at - 8));
        return p;
    }

    QByteArray header() const {
        QByteArray p(fmt.page, '\0');
        p[1] = 0x01;
        std::memcpy(p.data() + 4, "Standard Jet DB", 15);
        put32(p, 0x14, options.version);
        // Region hidden by the cipher: code page, key 0 (no page encryption),
        // sort order.
        QByteArray plain(fmt.jet3 ? 126 : 128, '\0');
        put16(plain, 0x3c - 0x18, 932);
        put16(plain, 0x6e - 0x18, 0x0411);
        rc4({0xC7, 0xDA, 0x39, 0x6B}, reinterpret_cast<unsigned char *>(plain.data()), int(plain.size()));
        std::memcpy(p.data() + 0x18, plain.constData(), size_t(plain.size()));
        return p;
    }

    QByteArray build(const QList<Table> &tables) {
        Table catalog{QStringLiteral("MSysObjects"),
                      {{QStringLiteral("Id"), Type::Long},
                       {QStringLiteral("Name"), Type::Text, 128},
                       {QStringLiteral("Type"), Type::Short},
                       {QStringLiteral("Flags"), Type::Long},
                       {QStringLiteral("LvProp"), Type::Memo}},
                      {}};
        QList<quint32> tdefs;
        QList<QList<quint32>> used;
        for (const Table &t : tables) {
            const quint32 tdef = quint32(newPage());
            tdefs.append(tdef);
            used.append(placeRows(tdef, t));
            catalog.rows.append({int(tdef), t.name, 1, 0, QVariant()});
        }
        flushLval();
        const QList<quint32> catalogPages = placeRows(kCatalogPage, catalog);
        pages[kCatalogPage] = tableDefinition(catalog, quint32(catalog.rows.size()), placeMaps(catalogPages), true);
        for (qsizetype i = 0; i < tables.size(); ++i)
            pages[tdefs[i]] = tableDefinition(tables[i], quint32(tables[i].rows.size()), placeMaps(used[i]), false);
        pages[0] = header();
        pages[1] = QByteArray(fmt.page, '\0');
        pages[1][0] = 0x05;
        pages[1][1] = 0x01;
        pages[3] = mapPage->bytes;
        QByteArray file;
        for (const QByteArray &p : pages) file.append(p);
        return file;
    }

    Options options;
    Format fmt;
    QList<QByteArray> pages;
    std::unique_ptr<DataPage> mapPage;
    std::unique_ptr<DataPage> lval;
    int lvalNumber = 0;
};

QByteArray csvText(const QString &s) {
    QString q = s;
    q.replace(u'"', QStringLiteral("\"\""));
    return "\"" + q.toUtf8() + "\"";
}

QString longMemo() {
    const QString phrase = QStringLiteral("本日は新製品の説明を行い、見積書を提出した。");
    QString memo;
    while (memo.size() < 2000) memo += phrase;
    memo.truncate(2000);
    return memo;
}

}  // namespace

QByteArray jet4File(const QList<Table> &tables, const Options &options) {
    Writer w(options);
    return w.build(tables);
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size() && f.flush();
}

QByteArray expectedExport(const Table &table) {
    QByteArray out;
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        if (i) out += ',';
        out += table.columns[i].name.toUtf8();
    }
    out += '\n';
    for (const QList<QVariant> &row : table.rows) {
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            if (i) out += ',';
            const QVariant v = i < row.size() ? row[i] : QVariant();
            const Type type = table.columns[i].type;
            if (type == Type::Bool) {
                out += (!v.isNull() && v.toBool()) ? "1" : "0";
                continue;
            }
            if (v.isNull()) continue;
            switch (type) {
            case Type::Short:
            case Type::Long: out += QByteArray::number(v.toInt()); break;
            case Type::DateTime: {
                const QDateTime when = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
                out += csvText(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
                break;
            }
            default:
                // A zero-length text prints as nothing, like Null.
                if (!v.toString().isEmpty()) out += csvText(v.toString());
                break;
            }
        }
        out += '\n';
    }
    return out;
}

QList<Table> sampleDataTables() {
    const QList<Column> reportColumns = {{QStringLiteral("日付"), Type::DateTime},   {QStringLiteral("顧客名"), Type::Text},
                                         {QStringLiteral("ふりがな"), Type::Text},   {QStringLiteral("タイトル"), Type::Text},
                                         {QStringLiteral("担当"), Type::Text},       {QStringLiteral("メモ"), Type::Memo}};
    Table reports{QStringLiteral("営業日報"), reportColumns, {}};
    reports.rows = {
        {QDate(2001, 4, 2), QStringLiteral("株式会社山田商事"), QStringLiteral("やまだしょうじ"), QStringLiteral("定期訪問"),
         QStringLiteral("佐藤"), QStringLiteral("見積書を渡した。\r\n次回は５月。")},
        {QVariant(), QStringLiteral("有限会社ＡＢＣ"), QStringLiteral("えーびーしー"), QStringLiteral("日付なし"), QStringLiteral("鈴木"),
         QVariant()},
        {QDate(1999, 12, 31), QStringLiteral("Tanaka \"Trading\""), QStringLiteral("たなか"), QStringLiteral("Year-end visit"),
         QStringLiteral("佐藤"), longMemo()},
        {QDate(2002, 2, 14), QStringLiteral("髙橋㈱"), QVariant(), QStringLiteral(""), QStringLiteral("佐藤"),
         QStringLiteral("short memo")},
    };
    Table customers{QStringLiteral("顧客マスタ"),
                    {{QStringLiteral("名称"), Type::Text}, {QStringLiteral("ふりがな"), Type::Text}, {QStringLiteral("担当"), Type::Text}},
                    {{QStringLiteral("株式会社山田商事"), QStringLiteral("やまだしょうじ"), QStringLiteral("佐藤")},
                     {QStringLiteral("有限会社ＡＢＣ"), QStringLiteral("えーびーしー"), QStringLiteral("鈴木")},
                     {QStringLiteral("Tanaka \"Trading\""), QStringLiteral("たなか"), QVariant()}}};
    Table codes{QStringLiteral("コードマスタ"),
                {{QStringLiteral("kcode"), Type::Text},
                 {QStringLiteral("code"), Type::Text},
                 {QStringLiteral("sname"), Type::Text},
                 {QStringLiteral("cnt"), Type::Long}},
                {{QStringLiteral("担当"), QStringLiteral("01"), QStringLiteral("佐藤"), 1},
                 {QStringLiteral("担当"), QStringLiteral("02"), QStringLiteral("鈴木"), 2},
                 {QStringLiteral("担当"), QStringLiteral("03"), QVariant(), 3},
                 {QStringLiteral("タイトル"), QStringLiteral("01"), QStringLiteral("定期訪問"), 1}}};
    Table hints{QStringLiteral("TqHint"),
                {{QStringLiteral("FormName"), Type::Text},
                 {QStringLiteral("CtlName"), Type::Text},
                 {QStringLiteral("FormTitle"), Type::Text},
                 {QStringLiteral("Contents"), Type::Memo}},
                {{QStringLiteral("TqenMain"), QStringLiteral("cmd登録"), QStringLiteral("営業日報"),
                  QStringLiteral("日報を登録します。\n同じ日の日報は上書きされます。")}}};
    return {reports, customers, codes, hints};
}

Table manyReports(int n) {
    Table t = sampleDataTables().first();
    t.rows.clear();
    const QDate start(1998, 1, 1);
    for (int i = 0; i < n; ++i) {
        t.rows.append({start.addDays(i % 1500), QStringLiteral("顧客%1").arg(i % 97), QStringLiteral("こきゃく%1").arg(i % 97),
                       QStringLiteral("訪問 %1").arg(i), QStringLiteral("担当%1").arg(i % 7),
                       i % 5 == 0 ? QVariant() : QVariant(QStringLiteral("メモ%1 の内容").arg(i))});
    }
    return t;
}

Table allKinds() {
    return Table{QStringLiteral("AllKinds"),
                 {{QStringLiteral("Id"), Type::Long},
                  {QStringLiteral("Done"), Type::Bool},
                  {QStringLiteral("Small"), Type::Short},
                  {QStringLiteral("When"), Type::DateTime},
                  {QStringLiteral("Name"), Type::Text, 20},
                  {QStringLiteral("Note"), Type::Memo}},
                 {{1, true, 7, QDateTime(QDate(2000, 2, 29), QTime(13, 45, 30)), QStringLiteral("plain ascii"), QStringLiteral("x")},
                  {2, false, -3, QVariant(), QVariant(), QVariant()},
                  {3, true, QVariant(), QDate(1900, 1, 1), QStringLiteral("日本語"), QString(3000, QChar(u'長'))},
                  {-5, false, 0, QDate(2024, 3, 5), QStringLiteral("ab"), QStringLiteral("Ünïcödé latin1 only")}}};
}

}  // namespace tqen::testing::jetfile
