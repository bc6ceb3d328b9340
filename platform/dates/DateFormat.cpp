#include "platform/dates/DateFormat.h"

#include <QRegularExpression>

namespace tqen {

const QList<Era> &EraTable() {
    static const QList<Era> table = {
        {QDate(1868, 10, 23), QStringLiteral("明治"), u'M'},
        {QDate(1912, 7, 30), QStringLiteral("大正"), u'T'},
        {QDate(1926, 12, 25), QStringLiteral("昭和"), u'S'},
        {QDate(1989, 1, 8), QStringLiteral("平成"), u'H'},
        {QDate(2019, 5, 1), QStringLiteral("令和"), u'R'},
    };
    return table;
}

const Era *EraOf(const QDate &day) {
    if (!day.isValid()) return nullptr;
    const auto &table = EraTable();
    for (qsizetype i = table.size() - 1; i >= 0; --i)
        if (day >= table[i].start) return &table[i];
    return nullptr;
}

int EraYear(const QDate &day) {
    const Era *era = EraOf(day);
    if (!era) return day.year();
    return day.year() - era->start.year() + 1;
}

namespace {

QString padded(int value, int width) {
    QString digits = QString::number(value);
    if (digits.size() < width) digits.prepend(QString(width - digits.size(), QLatin1Char('0')));
    return digits;
}

}  // namespace

QString FormatDate(const QDate &day, const QString &format) {
    if (!day.isValid()) return {};
    const Era *era = EraOf(day);
    QString out;
    out.reserve(format.size() + 8);
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        switch (c.unicode()) {
        case 'g':
            if (era) {
                if (run >= 3) out += era->name;
                else if (run == 2) out += era->name.left(1);
                else out += era->letter;
            }
            break;
        case 'e':
            out += run >= 2 ? padded(EraYear(day), 2) : QString::number(EraYear(day));
            break;
        case 'y':
            if (run >= 3) out += padded(day.year(), 4);
            else out += padded(day.year() % 100, 2);
            break;
        case 'm':
            out += run >= 2 ? padded(day.month(), 2) : QString::number(day.month());
            break;
        case 'd':
            out += run >= 2 ? padded(day.day(), 2) : QString::number(day.day());
            break;
        default:
            out += QString(run, c);
            break;
        }
        i += run;
    }
    return out;
}

namespace {

// Two-digit years as the platform reads them: 00–29 this century, 30–99 the last.
int fullYear(int twoDigits) { return twoDigits < 30 ? 2000 + twoDigits : 1900 + twoDigits; }

QDate fromEra(const Era &era, int eraYear, int month, int day) {
    if (eraYear < 1) return {};
    QDate d(era.start.year() + eraYear - 1, month, day);
    if (!d.isValid() || d < era.start) return {};
    return d;
}

}  // namespace

QDate ParseDateText(const QString &input) {
    QString text = input.trimmed();
    if (text.isEmpty()) return {};
    // Full-width digits and separators as typed with a Japanese input method.
    for (QChar &ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0xFF10 && u <= 0xFF19) ch = QChar(u - 0xFF10 + '0');
        else if (u == 0xFF0F) ch = u'/';
        else if (u == 0xFF0D) ch = u'-';
        else if (u == 0xFF0E) ch = u'.';
    }
    static const QRegularExpression eight(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    if (auto m = eight.match(text); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());

    static const QRegularExpression western(
        QStringLiteral("^(\\d{4})\\s*[/\\-.年]\\s*(\\d{1,2})\\s*[/\\-.月]\\s*(\\d{1,2})\\s*日?$"));
    if (auto m = western.match(text); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());

    static const QRegularExpression shortYear(
        QStringLiteral("^(\\d{2})\\s*[/\\-.]\\s*(\\d{1,2})\\s*[/\\-.]\\s*(\\d{1,2})$"));
    if (auto m = shortYear.match(text); m.hasMatch())
        return QDate(fullYear(m.captured(1).toInt()), m.captured(2).toInt(), m.captured(3).toInt());

    // Era texts: a name (平成), its first character (平) or letter (H, h).
    static const QRegularExpression eraText(
        QStringLiteral("^(\\D+?)\\s*(\\d{1,2}|元)\\s*[/\\-.年]\\s*(\\d{1,2})\\s*[/\\-.月]\\s*(\\d{1,2})\\s*日?$"));
    if (auto m = eraText.match(text); m.hasMatch()) {
        const QString name = m.captured(1).trimmed();
        const int year = m.captured(2) == QStringLiteral("元") ? 1 : m.captured(2).toInt();
        for (const Era &era : EraTable()) {
            if (name == era.name || name == era.name.left(1) ||
                (name.size() == 1 && name[0].toUpper() == era.letter))
                return fromEra(era, year, m.captured(3).toInt(), m.captured(4).toInt());
        }
    }
    return {};
}

QDate ToDate(const QVariant &value) {
    if (value.isNull() || !value.isValid()) return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate();
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double: {
        const qlonglong n = value.toLongLong();
        if (n < 10000101 || n > 99991231) return {};
        return QDate(int(n / 10000), int(n / 100 % 100), int(n % 100));
    }
    default:
        return ParseDateText(value.toString());
    }
}

}  // namespace tqen
