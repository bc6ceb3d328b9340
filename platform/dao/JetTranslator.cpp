#include "platform/dao/JetTranslator.h"

#include "platform/dao/JetLexer.h"
#include "platform/dao/JetValues.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <limits>

#include <mutex>

namespace tqen::dao {

QString quoteName(const QString &name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

namespace {

// Words passed on as SQL words; every other bare name is a table or field
// name and is quoted.
const QHash<QString, QString> &keywords() {
    static const QHash<QString, QString> k = [] {
        QHash<QString, QString> m;
        const char *words[] = {"select", "from", "where", "and", "or", "not", "order", "by", "asc", "desc",
                               "insert", "into", "values", "delete", "update", "set", "null", "is", "like",
                               "in", "between", "distinct", "as", "group", "having", "join", "inner", "left",
                               "right", "outer", "on", "union", "all", "exists", "case", "when", "then",
                               "else", "end", "create", "table", "index", "drop", "primary", "key", "unique",
                               "default", "alter", "add", "column"};
        for (const char *w : words) m.insert(QString::fromLatin1(w), QString::fromLatin1(w).toUpper());
        m.insert(QStringLiteral("true"), QStringLiteral("1"));
        m.insert(QStringLiteral("false"), QStringLiteral("0"));
        m.insert(QStringLiteral("distinctrow"), QStringLiteral("DISTINCT"));
        m.insert(QStringLiteral("mod"), QStringLiteral("%"));
        return m;
    }();
    return k;
}

// Jet functions that SQLite knows under another name.
QString functionName(const QString &name) {
    const QString l = name.toLower();
    if (l == u"ucase") return QStringLiteral("upper");
    if (l == u"lcase") return QStringLiteral("lower");
    if (l == u"len") return QStringLiteral("length");
    if (l == u"nz") return QStringLiteral("ifnull");
    return name;
}

// The piece of a date token: its stored text as an SQL literal; false and the
// statement's error when it is no date.
bool fillDate(JetTranslation &r, const JetTranslation::DateSlot &slot, const JetToken &token) {
    const QString stored = storedDateFromJet(token.text);
    if (stored.isEmpty()) {
        r.error = QStringLiteral("Syntax error in date in query expression '#%1#'").arg(token.text);
        return false;
    }
    r.pieces[slot.piece] = QLatin1Char('\'') + stored + QLatin1Char('\'');
    return true;
}

class Translator {
public:
    // values: the bound values of the statement's ? marks, by their number.
    Translator(const QVector<JetToken> &tokens, const QVector<QVariant> &values, JetTranslation &out)
        : t(tokens), v(values), r(out) {}

    void run() {
        if (t.isEmpty()) { r.error = QStringLiteral("Invalid SQL statement: empty"); return; }
        const JetToken &first = t.first();
        if (first.isWord("select")) r.kind = JetTranslation::Kind::Select;
        else if (first.isWord("insert")) r.kind = JetTranslation::Kind::Insert;
        else if (first.isWord("delete")) r.kind = JetTranslation::Kind::Delete;
        else if (first.isWord("update")) r.kind = JetTranslation::Kind::Update;
        emitRange(0, int(t.size()));
        if (!r.error.isEmpty()) return;
        if (r.kind == JetTranslation::Kind::Select) describeSelect();
        if (r.kind == JetTranslation::Kind::Insert) describeInsert();
    }

private:
    const QVector<JetToken> &t;
    const QVector<QVariant> &v;
    JetTranslation &r;
    QVector<int> pieceOf;  // token index -> first piece emitted for it

    bool isName(int i) const {
        return i < t.size() && (t[i].kind == JetToken::BracketName ||
                                (t[i].kind == JetToken::Name && !keywords().contains(t[i].text.toLower())));
    }
    bool isExternalAt(int i) const {  // name in 'path'
        return isName(i) && i + 2 < t.size() && t[i + 1].isWord("in") && t[i + 2].kind == JetToken::String;
    }
    int closingParen(int open) const {
        int depth = 0;
        for (int i = open; i < t.size(); ++i) {
            if (t[i].isPunct("(")) ++depth;
            else if (t[i].isPunct(")") && --depth == 0) return i;
        }
        return -1;
    }
    int param(const QVariant &value) {
        r.params.push_back(value);
        return int(r.params.size());
    }
    void put(int tokenIndex, const QString &piece) {
        if (pieceOf.size() <= tokenIndex) pieceOf.resize(tokenIndex + 1, -1);
        if (pieceOf[tokenIndex] < 0) pieceOf[tokenIndex] = int(r.pieces.size());
        r.pieces << piece;
    }

    void emitRange(int from, int to) {
        for (int i = from; i < to && r.error.isEmpty(); ++i) {
            const JetToken &k = t[i];
            switch (k.kind) {
            case JetToken::String:
                r.paramTokens.push_back(i);
                put(i, QLatin1Char('?') + QString::number(param(k.text)));
                break;
            case JetToken::Param:
                r.paramTokens.push_back(i);
                put(i, QLatin1Char('?') + QString::number(param(v.value(k.text.toInt()))));
                break;
            case JetToken::Date: {
                r.dates.push_back({i, int(r.pieces.size())});
                put(i, QString());
                if (!fillDate(r, r.dates.last(), k)) return;
                break;
            }
            case JetToken::Number:
                put(i, k.text);
                break;
            case JetToken::Punct:
                if (k.text == u"&") put(i, QStringLiteral("||"));
                else if (k.text == u"\\") put(i, QStringLiteral("/"));  // integer division of whole numbers
                else if (k.text == u"*" && i > 0 && t[i - 1].isWord("delete")) {
                    // "delete * from": SQLite has no "*" here
                } else put(i, k.text);
                break;
            case JetToken::BracketName:
            case JetToken::Name: {
                const QString lower = k.text.toLower();
                if (k.kind == JetToken::Name && i + 1 < to && t[i + 1].isPunct("(") && lower == u"isnull") {
                    const int close = closingParen(i + 1);
                    if (close < 0 || close >= to) { r.error = QStringLiteral("Syntax error: missing )"); return; }
                    put(i, QStringLiteral("(("));
                    emitRange(i + 2, close);
                    r.pieces << QStringLiteral(") IS NULL)");
                    i = close;
                    break;
                }
                if (k.kind == JetToken::Name && keywords().contains(lower)) {
                    put(i, keywords().value(lower));
                    break;
                }
                if (k.kind == JetToken::Name && i + 1 < to && t[i + 1].isPunct("(") &&
                    !(i > 0 && (t[i - 1].isWord("into") || t[i - 1].isWord("table") || t[i - 1].isWord("on")))) {
                    put(i, functionName(k.text));
                    break;
                }
                if (isExternalAt(i) && i + 2 < to) {
                    const QString path = t[i + 2].text;
                    int attach = int(r.attachPaths.indexOf(path));
                    if (attach < 0) { r.attachPaths << path; attach = int(r.attachPaths.size() - 1); }
                    r.externals.push_back({int(r.pieces.size()), attach});
                    put(i, quoteName(k.text));
                    i += 2;
                    break;
                }
                put(i, quoteName(k.text));
                break;
            }
            }
        }
    }

    int topLevel(int from, const char *word) const {
        int depth = 0;
        for (int i = from; i < t.size(); ++i) {
            if (t[i].isPunct("(")) ++depth;
            else if (t[i].isPunct(")")) --depth;
            else if (depth == 0 && t[i].isWord(word)) return i;
        }
        return -1;
    }

    // Facts about the select that starts at token s: the table it reads and
    // where its list lies. Returns the index of the table's token or -1.
    int selectFacts(int s, bool *single, int *listBegin, int *listEnd) const {
        *listBegin = s + 1;
        const int from = topLevel(s, "from");
        *listEnd = from < 0 ? int(t.size()) : from;
        *single = false;
        if (from < 0 || !isName(from + 1)) return -1;
        const int table = from + 1;
        int after = isExternalAt(table) ? table + 3 : table + 1;
        bool single_ = after >= t.size() || t[after].isWord("where") || t[after].isWord("order");
        for (int i = s; i < t.size() && single_; ++i) {
            if (t[i].isWord("distinct") || t[i].isWord("distinctrow") || t[i].isWord("group") ||
                t[i].isWord("union") || t[i].isWord("join") || t[i].isWord("having"))
                single_ = false;
            if (i > s && t[i].isWord("select")) single_ = false;
        }
        // An aggregate in the list makes one row of many: nothing to update.
        for (int i = *listBegin; i < *listEnd && single_; ++i) {
            static const char *aggregates[] = {"count", "sum", "avg", "min", "max", "first", "last", "stdev", "var"};
            for (const char *a : aggregates)
                if (t[i].isWord(a) && i + 1 < t.size() && t[i + 1].isPunct("(")) single_ = false;
        }
        *single = single_;
        return table;
    }

    void describeSelect() {
        bool single;
        int lb, le;
        const int table = selectFacts(0, &single, &lb, &le);
        r.selectListPiece = lb < pieceOf.size() ? pieceOf[lb] : -1;
        r.fromPiece = le < pieceOf.size() ? pieceOf[le] : -1;
        if (table < 0 || r.selectListPiece < 0 || r.fromPiece < 0) return;
        r.singleTable = single;
        r.table = t[table].text;
        r.tableAttach = isExternalAt(table) ? int(r.attachPaths.indexOf(t[table + 2].text)) : -1;
    }

    void describeInsert() {
        if (t.size() < 4 || !t[1].isWord("into") || !isName(2)) return;
        const int target = 2;
        const int next = isExternalAt(target) ? target + 3 : target + 1;
        if (next >= t.size() || !t[next].isWord("select")) return;
        r.insertByName = true;
        r.target = t[target].text;
        r.targetAttach = isExternalAt(target) ? int(r.attachPaths.indexOf(t[target + 2].text)) : -1;
        r.targetPiece = pieceOf[target];
        r.selectPiece = pieceOf[next];
        bool single;
        int lb, le;
        selectFacts(next, &single, &lb, &le);
        // A lone "*" or "T.*" list.
        const bool star = (le == lb + 1 && t[lb].isPunct("*")) ||
                          (le == lb + 3 && isName(lb) && t[lb + 1].isPunct(".") && t[lb + 2].isPunct("*"));
        if (star) {
            r.starBegin = pieceOf[lb];
            r.starEnd = pieceOf[le - 1] + 1;
        }
    }
};

}  // namespace

QString JetTranslation::sql(const QStringList &aliases) const {
    QStringList p = pieces;
    for (const External &e : externals) p[e.piece] = quoteName(aliases.value(e.attach)) + u'.' + p[e.piece];
    return p.join(u' ');
}

QString JetTranslation::innerSelectSql(const QStringList &aliases) const {
    QStringList p = pieces;
    for (const External &e : externals) p[e.piece] = quoteName(aliases.value(e.attach)) + u'.' + p[e.piece];
    return p.mid(selectPiece).join(u' ');
}

namespace {

// The cache of translations by shape.
constexpr qsizetype kMaxShapeChars = 4096;
constexpr qsizetype kMaxShapes = 256;

struct ShapeCache {
    std::mutex lock;
    QHash<QString, std::shared_ptr<const JetTranslation>> byShape;
    qsizetype keyChars = 0;
};

ShapeCache &shapeCache() {
    static ShapeCache cache;
    return cache;
}

// The statement's tokens with the texts and dates it carries as values left
// out: every token's kind and text, but a string's text only where it names a
// file ("in 'path'"), since that changes the translation. Empty when the
// shape is too long to keep.
QString shapeOf(const QVector<JetToken> &tokens) {
    QString key;
    key.reserve(kMaxShapeChars / 4);
    for (int i = 0; i < tokens.size(); ++i) {
        const JetToken &k = tokens[i];
        const bool value = k.kind == JetToken::Date || k.kind == JetToken::Param ||
                           (k.kind == JetToken::String && !(i > 0 && tokens[i - 1].isWord("in")));
        const qsizetype length = value ? 0 : k.text.size();
        if (key.size() + 2 + length > kMaxShapeChars) return {};
        // Kind and length, then the text: no two token lists give one key.
        key += QChar(u'A' + k.kind);
        key += QChar(char16_t(length));
        if (!value) key += k.text;
    }
    return key;
}

// A kept translation with this statement's values put in.
std::shared_ptr<const JetTranslation> withValues(const JetTranslation &shape, const QVector<JetToken> &tokens,
                                                 const QVector<QVariant> &values) {
    auto out = std::make_shared<JetTranslation>(shape);
    out->params.reserve(shape.paramTokens.size());
    for (int t : shape.paramTokens)
        out->params.push_back(tokens[t].kind == JetToken::Param ? values.value(tokens[t].text.toInt())
                                                                : QVariant(tokens[t].text));
    for (const JetTranslation::DateSlot &slot : shape.dates)
        if (!fillDate(*out, slot, tokens[slot.token])) break;
    return out;
}

std::shared_ptr<const JetTranslation> failed(const QString &error) {
    auto out = std::make_shared<JetTranslation>();
    out->error = error;
    return out;
}

// The translation of lexed tokens, from the cache when their shape is kept.
std::shared_ptr<const JetTranslation> translateTokens(const QVector<JetToken> &tokens, const QVector<QVariant> &values) {
    const QString key = shapeOf(tokens);
    ShapeCache &cache = shapeCache();
    if (!key.isEmpty()) {
        std::shared_ptr<const JetTranslation> kept;
        {
            std::lock_guard<std::mutex> g(cache.lock);
            kept = cache.byShape.value(key);
        }
        if (kept) return withValues(*kept, tokens, values);
    }
    auto out = std::make_shared<JetTranslation>();
    Translator(tokens, values, *out).run();
    if (key.isEmpty() || !out->error.isEmpty()) return out;
    // Kept without its values: they belong to this statement only.
    auto shape = std::make_shared<JetTranslation>(*out);
    shape->params.clear();
    for (const JetTranslation::DateSlot &slot : shape->dates) shape->pieces[slot.piece].clear();
    std::lock_guard<std::mutex> g(cache.lock);
    if (cache.byShape.size() >= kMaxShapes) {
        cache.byShape.clear();
        cache.keyChars = 0;
    }
    if (!cache.byShape.contains(key)) cache.keyChars += key.size();
    cache.byShape.insert(key, std::move(shape));
    return out;
}

bool isTableName(const JetToken &k) {
    return k.kind == JetToken::BracketName || (k.kind == JetToken::Name && !keywords().contains(k.text.toLower()));
}

}  // namespace

std::shared_ptr<const JetTranslation> translateJet(const QString &jetSql) {
    const JetLexResult lexed = lexJet(jetSql);
    if (!lexed.error.isEmpty()) return failed(lexed.error);
    return translateTokens(lexed.tokens, {});
}

std::shared_ptr<const JetTranslation> translateJet(const QString &jetSql, const QVariantList &values) {
    JetLexResult lexed = lexJet(jetSql, true);
    if (!lexed.error.isEmpty()) return failed(lexed.error);
    QVector<JetToken> &tokens = lexed.tokens;
    const auto marks = std::count_if(tokens.begin(), tokens.end(), [](const JetToken &k) { return k.kind == JetToken::Param; });
    if (marks != values.size())
        return failed(QStringLiteral("The statement has %1 ? marks but %2 values were given.").arg(marks).arg(values.size()));
    QVector<QVariant> bound(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        QString error;
        if (!statementValue(values[i], &bound[i], &error))
            return failed(error + QStringLiteral(" (value %1)").arg(i + 1));
    }
    // "T in ?": the file's path is part of the statement, as a literal's is.
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        JetToken &k = tokens[i];
        if (k.kind != JetToken::Param || !tokens[i - 1].isWord("in") || !isTableName(tokens[i - 2])) continue;
        const QVariant &path = values[k.text.toInt()];
        if (path.typeId() != QMetaType::QString || path.toString().isEmpty())
            return failed(QStringLiteral("The file of \"%1 in ?\" is given as a text.").arg(tokens[i - 2].text));
        k = {JetToken::String, path.toString(), k.pos};
    }
    return translateTokens(tokens, bound);
}

bool statementValue(const QVariant &value, QVariant *bound, QString *error) {
    *bound = QVariant();
    if (!value.isValid() || value.isNull()) return true;
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        *bound = value;
        return true;
    case QMetaType::QDate:
        if (value.toDate().isValid()) *bound = storedDate(QDateTime(value.toDate(), QTime(0, 0)));
        return true;
    case QMetaType::QDateTime:
        if (value.toDateTime().isValid()) *bound = storedDate(value.toDateTime());
        return true;
    case QMetaType::Bool:
        *bound = qlonglong(value.toBool() ? 1 : 0);
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        *bound = value.toLongLong();
        return true;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() > quint64(std::numeric_limits<qlonglong>::max())) break;
        *bound = value.toLongLong();
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        *bound = value.toDouble();
        return true;
    default:
        break;
    }
    *error = QStringLiteral("Data type conversion error.");
    return false;
}

TranslationCacheSize translationCacheSize() {
    ShapeCache &cache = shapeCache();
    std::lock_guard<std::mutex> g(cache.lock);
    return {cache.byShape.size(), cache.keyChars};
}

}  // namespace tqen::dao
