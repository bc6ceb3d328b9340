#include "platform/dao/JetValues.h"

#include <QStringList>

namespace tqen::dao {

ColumnKind columnKind(const char *declaredType) {
    if (!declaredType) return ColumnKind::Plain;
    const QByteArray t = QByteArray(declaredType).toUpper();
    if (t.contains("DATE") || t.contains("TIME")) return ColumnKind::Date;
    if (t.contains("BOOL") || t.contains("YESNO") || t == "BIT") return ColumnKind::YesNo;
    return ColumnKind::Plain;
}

namespace {

bool allDigits(const QString &s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9') return false;
    return true;
}

// "h:m[:s]" with an optional AM/PM word after it.
bool parseTime(const QStringList &words, QTime *time) {
    if (words.isEmpty()) { *time = QTime(0, 0); return true; }
    if (words.size() > 2) return false;
    const QStringList hms = words.at(0).split(u':');
    if (hms.size() < 2 || hms.size() > 3) return false;
    for (const QString &p : hms)
        if (!allDigits(p) || p.size() > 2) return false;
    int h = hms.at(0).toInt();
    const int m = hms.at(1).toInt();
    const int s = hms.size() == 3 ? hms.at(2).toInt() : 0;
    if (words.size() == 2) {
        const QString ampm = words.at(1).toUpper();
        if (h < 1 || h > 12) return false;
        if (ampm == u"AM") h = h == 12 ? 0 : h;
        else if (ampm == u"PM") h = h == 12 ? 12 : h + 12;
        else return false;
    }
    *time = QTime(h, m, s);
    return time->isValid();
}

// Digits s[from, from + n) as a number; -1 when any is no digit.
int number(QStringView s, int from, int n) {
    int v = 0;
    for (int i = from; i < from + n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

// "yyyy-mm-dd", then " hh:mm:ss" when the time is not midnight.
QString storedText(const QDate &date, const QTime &time) {
    QString day;
    if (date.year() >= 1 && date.year() <= 9999) {  // by hand: written for every date of every statement
        const int parts[3][2] = {{date.year(), 4}, {date.month(), 2}, {date.day(), 2}};
        day.reserve(10);
        for (const auto &[value, digits] : parts) {
            if (!day.isEmpty()) day += u'-';
            for (int unit = digits == 4 ? 1000 : 10; unit > 0; unit /= 10) day += QChar(u'0' + value / unit % 10);
        }
    } else {
        day = date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (time == QTime(0, 0)) return day;
    return day + time.toString(QStringLiteral(" HH:mm:ss"));
}

}  // namespace

QString storedDateFromJet(const QString &literal) {
    // The common "yyyy/mm/dd" (sqlDate writes it) without splitting.
    if (literal.size() == 10 && literal[4] == literal[7] && (literal[4] == u'/' || literal[4] == u'-')) {
        const QStringView s(literal);
        const int y = number(s, 0, 4), m = number(s, 5, 2), d = number(s, 8, 2);
        if (y >= 0 && m >= 0 && d >= 0) {
            const QDate date(y, m, d);
            return date.isValid() ? storedText(date, QTime(0, 0)) : QString();
        }
    }
    QStringList words = literal.simplified().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) return {};
    const QString datePart = words.takeFirst();
    const QChar sep = datePart.contains(u'/') ? u'/' : u'-';
    const QStringList ymd = datePart.split(sep);
    if (ymd.size() != 3) return {};
    for (const QString &p : ymd)
        if (!allDigits(p)) return {};
    QDate date;
    if (ymd.at(0).size() == 4 && ymd.at(1).size() <= 2 && ymd.at(2).size() <= 2)
        date = QDate(ymd.at(0).toInt(), ymd.at(1).toInt(), ymd.at(2).toInt());
    else if (sep == u'/' && ymd.at(2).size() == 4 && ymd.at(0).size() <= 2 && ymd.at(1).size() <= 2)
        date = QDate(ymd.at(2).toInt(), ymd.at(0).toInt(), ymd.at(1).toInt());  // m/d/yyyy
    if (!date.isValid()) return {};
    QTime time;
    if (!parseTime(words, &time)) return {};
    // Written from the date and time as they are: a QDateTime would look the
    // local time zone up for every statement.
    return storedText(date, time);
}

QString storedDate(const QDateTime &dt) {
    if (!dt.isValid()) return {};
    return storedText(dt.date(), dt.time());
}

// Read for every date of every row, so parsed by hand: "yyyy-mm-dd" or
// "yyyy-mm-dd hh:mm:ss".
QVariant dateFromStored(const QString &stored) {
    const QStringView s(stored);
    if ((s.size() != 10 && s.size() != 19) || s[4] != u'-' || s[7] != u'-') return {};
    const QDate d(number(s, 0, 4), number(s, 5, 2), number(s, 8, 2));
    if (!d.isValid() || number(s, 0, 4) < 0) return {};
    if (s.size() == 10) return d;
    if (s[10] != u' ' || s[13] != u':' || s[16] != u':') return {};
    const QTime t(number(s, 11, 2), number(s, 14, 2), number(s, 17, 2));
    if (!t.isValid()) return {};
    if (t == QTime(0, 0)) return d;
    return QDateTime(d, t);
}

std::optional<bool> yesNoValue(const QVariant &value) {
    const int type = value.metaType().id();
    if (type == QMetaType::QString) {
        const QString l = value.toString().trimmed().toLower();
        if (l == u"true" || l == u"yes" || l == u"on" || l == u"-1" || l == u"1") return true;
        if (l == u"false" || l == u"no" || l == u"off" || l == u"0" || l.isEmpty()) return false;
        return std::nullopt;
    }
    if (type == QMetaType::Bool) return value.toBool();
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok) return std::nullopt;
    return d != 0.0;
}

}  // namespace tqen::dao
