// What travels between the program's Jet statements and the server: a Jet
// LIKE pattern as a regular expression, a translated statement's pieces and
// parameters, a result's text as the value the recordsets hand out, and a
// value as the text of a parameter of the server's type.
#include "platform/dao/ServerConnection.h"

#include "platform/dao/JetValues.h"
#include "platform/dao/Server.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace tqen::dao {

namespace {

// Type OIDs of the server's built-in types that the program reads.
constexpr unsigned kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700,
                   kDate = 1082, kTimestamp = 1114, kBytea = 17;

}  // namespace

QString likeToRegex(const QString &jetPattern) {
    QString re = QStringLiteral("^(?:");
    const auto literal = [&re](QChar c) {
        if (c.unicode() < 128 && !c.isLetterOrNumber()) re += u'\\';
        re += c;
    };
    for (qsizetype i = 0; i < jetPattern.size(); ++i) {
        const QChar c = jetPattern[i];
        if (c == u'*') re += QStringLiteral(".*");
        else if (c == u'?') re += u'.';
        else if (c == u'#') re += QStringLiteral("[0-9]");
        else if (c == u'[') {
            const qsizetype close = jetPattern.indexOf(u']', i + 1);
            if (close < 0) return {};
            const QString inside = jetPattern.mid(i + 1, close - i - 1);
            i = close;
            if (inside.isEmpty()) return {};
            if (inside.size() == 1) {  // [*] [?] [#] [[]: the character itself
                literal(inside[0]);
                continue;
            }
            re += u'[';
            qsizetype k = 0;
            if (inside[0] == u'!') {
                re += u'^';
                k = 1;
            }
            for (; k < inside.size(); ++k) {
                const QChar m = inside[k];
                if (m == u'-' && k > 0 && k + 1 < inside.size() && !(k == 1 && inside[0] == u'!')) re += u'-';
                else if (m == u'\\' || m == u'^' || m == u'-' || m == u'[') { re += u'\\'; re += m; }
                else re += m;
            }
            re += u']';
        } else literal(c);
    }
    return re + QStringLiteral(")$");
}

namespace {

// N of a piece "?N"; 0 for any other piece.
int paramNumber(const QString &piece) {
    if (piece.size() < 2 || piece[0] != u'?') return 0;
    int n = 0;
    for (qsizetype i = 1; i < piece.size(); ++i) {
        if (!piece[i].isDigit()) return 0;
        n = n * 10 + piece[i].digitValue();
    }
    return n;
}

}  // namespace

bool serverPieces(const JetTranslation &tr, QStringList *pieces, QVector<QVariant> *params, QString *error,
                  const QString &likeCollation) {
    *pieces = tr.pieces;
    *params = tr.params;
    QStringList &p = *pieces;
    for (qsizetype i = 0; i < p.size(); ++i) {
        QString &s = p[i];
        if (s.startsWith(u'"')) {
            s = s.toLower();
        } else if (const int k = paramNumber(s); k > 0) {
            s = u'$' + QString::number(k);
            // A fraction given as a value is a number, as its literal would
            // be (a whole number is left for the server to take as the
            // column's type).
            if (params->value(k - 1).typeId() == QMetaType::Double) s += QStringLiteral("::numeric");
        } else if (s == u"LIKE") {
            const int n = i + 1 < p.size() ? paramNumber(p[i + 1]) : 0;
            if (n == 0) {
                *error = QStringLiteral("On the database server, like takes a text as its pattern.");
                return false;
            }
            const QString re = likeToRegex(params->value(n - 1).toString());
            if (re.isEmpty()) {
                *error = QStringLiteral("Invalid pattern string");
                return false;
            }
            (*params)[n - 1] = re;
            if (i > 0 && p[i - 1] == u"NOT") {
                p[i - 1].clear();
                s = QStringLiteral("!~*");
            } else {
                s = QStringLiteral("~*");
            }
            // The pattern's explicit collation decides how the match folds case.
            if (!likeCollation.isEmpty())
                p[i + 1] = QStringLiteral("( $%1 COLLATE %2 )").arg(n).arg(likeCollation);
        } else if ((s.compare(u"ifnull", Qt::CaseInsensitive) == 0 || s.compare(u"nz", Qt::CaseInsensitive) == 0) &&
                   i + 1 < p.size() && p[i + 1] == u"(") {
            s = QStringLiteral("coalesce");
        }
    }
    // Dates go as parameters too, so that the statement written again for
    // another day is the same text and its prepared form serves. Not in a
    // select's list, which an edited recordset sends again without the rest.
    int firstPiece = 0;
    if (tr.kind == JetTranslation::Kind::Select) firstPiece = tr.fromPiece >= 0 ? tr.fromPiece : int(p.size());
    else if (tr.insertByName) firstPiece = tr.selectPiece;
    for (const JetTranslation::DateSlot &slot : tr.dates) {
        QString &s = p[slot.piece];
        if (slot.piece < firstPiece || s.size() < 2 || !s.startsWith(u'\'') || !s.endsWith(u'\'')) continue;
        params->push_back(s.mid(1, s.size() - 2));
        s = u'$' + QString::number(params->size());
    }
    return true;
}

QVariant serverValue(const PGresult *r, int row, int col) {
    if (PQgetisnull(r, row, col)) return {};
    const char *v = PQgetvalue(r, row, col);
    const int n = PQgetlength(r, row, col);
    switch (PQftype(r, col)) {
    case kBool:
        return n > 0 && v[0] == 't';
    case kInt2:
    case kInt4:
    case kInt8: {
        const qlonglong x = QByteArray::fromRawData(v, n).toLongLong();
        if (x >= INT_MIN && x <= INT_MAX) return int(x);
        return x;
    }
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return QByteArray::fromRawData(v, n).toDouble();
    case kDate:
        if (n == 10) {
            const QDate d = QDate::fromString(QString::fromLatin1(v, n), Qt::ISODate);
            if (d.isValid()) return d;
        }
        return QString::fromUtf8(v, n);
    case kTimestamp: {
        const QVariant d = dateFromStored(QString::fromLatin1(v, std::min(n, 19)));
        return d.isNull() ? QVariant(QString::fromUtf8(v, n)) : d;
    }
    case kBytea: {
        size_t len = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(v), &len);
        QByteArray out(reinterpret_cast<const char *>(raw), qsizetype(len));
        PQfreemem(raw);
        return out;
    }
    default:
        return QString::fromUtf8(v, n);
    }
}

bool serverParam(unsigned typeOid, const QVariant &value, QVariant *param, QString *error) {
    const auto conversionError = [&] {
        *error = QStringLiteral("Data type conversion error.");
        return false;
    };
    const int type = value.typeId();
    *param = QVariant();
    if (value.isNull() || !value.isValid()) {
        if (typeOid == kBool) *param = QStringLiteral("f");
        return true;
    }
    if (typeOid == kDate || typeOid == kTimestamp) {
        QString stored;
        if (type == QMetaType::QDate) stored = storedDate(QDateTime(value.toDate(), QTime(0, 0)));
        else if (type == QMetaType::QDateTime) stored = storedDate(value.toDateTime());
        else if (type == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty()) return true;
            stored = storedDateFromJet(s);
            if (stored.isEmpty() && s.size() == 8)
                stored = storedDate(QDateTime(QDate::fromString(s, QStringLiteral("yyyyMMdd")), QTime(0, 0)));
        }
        if (stored.isEmpty()) return conversionError();
        *param = typeOid == kDate ? stored.left(10) : stored;
        return true;
    }
    if (typeOid == kBool) {
        const std::optional<bool> yes = yesNoValue(value);
        if (!yes) return conversionError();
        const bool on = *yes;
        *param = on ? QStringLiteral("t") : QStringLiteral("f");
        return true;
    }
    if (typeOid == kInt2 || typeOid == kInt4 || typeOid == kInt8) {
        if (type == QMetaType::Bool) {
            *param = QString::number(value.toBool() ? 1 : 0);
            return true;
        }
        const QString s = value.toString().trimmed();
        if (s.isEmpty() && type == QMetaType::QString) return true;
        bool ok = false;
        const qlonglong whole = s.toLongLong(&ok);
        if (ok) {
            *param = QString::number(whole);
            return true;
        }
        const double d = s.toDouble(&ok);
        if (!ok) return conversionError();
        *param = QString::number(qlonglong(std::llround(d)));
        return true;
    }
    if (typeOid == kFloat4 || typeOid == kFloat8 || typeOid == kNumeric) {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok) {
            if (type == QMetaType::QString && value.toString().trimmed().isEmpty()) return true;
            return conversionError();
        }
        *param = QString::number(d, 'g', 17);
        return true;
    }
    if (type == QMetaType::QDate) *param = storedDate(QDateTime(value.toDate(), QTime(0, 0)));
    else if (type == QMetaType::QDateTime) *param = storedDate(value.toDateTime());
    else if (type == QMetaType::Bool) *param = QString::number(value.toBool() ? 1 : 0);
    else *param = value.toString();
    return true;
}

}  // namespace tqen::dao
