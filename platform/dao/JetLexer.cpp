#include "platform/dao/JetLexer.h"

namespace tqen::dao {

namespace {

bool isNameChar(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0x80) return !c.isSpace();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '$';
}

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

}  // namespace

JetLexResult lexJet(const QString &sql, bool parameters) {
    JetLexResult r;
    int marks = 0;
    const int n = int(sql.size());
    int i = 0;
    auto fail = [&](const QString &what, int at) {
        r.error = what + QStringLiteral(" (at character %1)").arg(at + 1);
        r.tokens.clear();
        return r;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) { ++i; continue; }
        const int start = i;
        if (c == u'\'' || c == u'"') {
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (sql.at(i) == c) {
                    if (i + 1 < n && sql.at(i + 1) == c) { value += c; i += 2; continue; }
                    ++i;
                    closed = true;
                    break;
                }
                value += sql.at(i++);
            }
            if (!closed) return fail(QStringLiteral("Syntax error: unterminated text"), start);
            r.tokens.push_back({JetToken::String, value, start});
            continue;
        }
        if (c == u'#') {
            const int close = int(sql.indexOf(u'#', i + 1));
            if (close < 0) return fail(QStringLiteral("Syntax error: unterminated date"), start);
            r.tokens.push_back({JetToken::Date, sql.mid(i + 1, close - i - 1).trimmed(), start});
            i = close + 1;
            continue;
        }
        if (c == u'[') {
            const int close = int(sql.indexOf(u']', i + 1));
            if (close < 0 || close == i + 1) return fail(QStringLiteral("Syntax error: bad bracketed name"), start);
            r.tokens.push_back({JetToken::BracketName, sql.mid(i + 1, close - i - 1), start});
            i = close + 1;
            continue;
        }
        if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(sql.at(i + 1)))) {
            while (i < n && isDigit(sql.at(i))) ++i;
            if (i < n && sql.at(i) == u'.') { ++i; while (i < n && isDigit(sql.at(i))) ++i; }
            if (i < n && (sql.at(i) == u'e' || sql.at(i) == u'E')) {
                int j = i + 1;
                if (j < n && (sql.at(j) == u'+' || sql.at(j) == u'-')) ++j;
                if (j < n && isDigit(sql.at(j))) {
                    i = j;
                    while (i < n && isDigit(sql.at(i))) ++i;
                }
            }
            if (i < n && isNameChar(sql.at(i))) return fail(QStringLiteral("Syntax error: bad number"), start);
            r.tokens.push_back({JetToken::Number, sql.mid(start, i - start), start});
            continue;
        }
        if (isNameChar(c)) {
            while (i < n && isNameChar(sql.at(i))) ++i;
            r.tokens.push_back({JetToken::Name, sql.mid(start, i - start), start});
            continue;
        }
        if (c == u'?' && parameters) {
            r.tokens.push_back({JetToken::Param, QString::number(marks++), start});
            ++i;
            continue;
        }
        if (c == u';') {
            ++i;
            while (i < n && sql.at(i).isSpace()) ++i;
            if (i < n) return fail(QStringLiteral("Characters found after end of SQL statement"), i);
            break;
        }
        if (c == u'<' || c == u'>' || c == u'!') {
            if (i + 1 < n) {
                const QString two = sql.mid(i, 2);
                if (two == u"<>" || two == u"<=" || two == u">=" || two == u"!=") {
                    r.tokens.push_back({JetToken::Punct, two == u"!=" ? QStringLiteral("<>") : two, start});
                    i += 2;
                    continue;
                }
            }
            if (c == u'!') return fail(QStringLiteral("Syntax error: unexpected '!'"), start);
        }
        static const QString singles = QStringLiteral("(),.*=<>+-/&\\^");
        if (singles.contains(c)) {
            r.tokens.push_back({JetToken::Punct, QString(c), start});
            ++i;
            continue;
        }
        return fail(QStringLiteral("Syntax error: unexpected character '%1'").arg(c), start);
    }
    return r;
}

}  // namespace tqen::dao
