#include "core/ModTqen.h"

#include "platform/dates/DateFormat.h"
#include "messages/Msg.h"
#include "model/CodeTable.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

namespace tqen::ModTqen {

Error AddCodeName(const QString &dataDbPath, const QString &codeClass, const QString &name) {
    return model::CodeTable::addName(dataDbPath, codeClass, name);
}

void MonthRange(QVariant &day, QDate &first, QDate &last, int closingDay) {
    if (day.isNull() || (day.typeId() != QMetaType::QDate && day.toString().isEmpty())) return;
    const QDate d = ToDate(day);
    if (!d.isValid()) return;
    day = FormatDate(d, QStringLiteral("yyyy/mm/dd"));
    if (closingDay <= 0 || closingDay > 30) {
        QVariant text = day;
        first = QDate(d.year(), d.month(), 1);
        last = QDate(d.year(), d.month(), MSG::DaysInMonth(text));
        return;
    }
    // A period closing on a day of the month: from the day after the closing
    // day to the closing day of the next month (short months close on their
    // last day).
    auto closing = [closingDay](QDate month) {
        return QDate(month.year(), month.month(), std::min(closingDay, month.daysInMonth()));
    };
    const QDate thisMonth(d.year(), d.month(), 1);
    QDate end = closing(thisMonth);
    if (d > end) end = closing(thisMonth.addMonths(1));
    first = closing(QDate(end.year(), end.month(), 1).addMonths(-1)).addDays(1);
    last = end;
}

void SetImeOpen(QWidget *window, bool open) {
    if (!window) return;
    // Input methods stay enabled, so the user can always switch the input
    // method on or off by hand; the wanted state goes to the input method as
    // a preference: "prefer Latin" is off (codes, numbers), no preference is
    // on (Japanese). The input method is asked to read the hints again.
    QWidget *target = window->focusProxy() ? window->focusProxy() : window;
    for (QWidget *w : {window, target}) {
        w->setAttribute(Qt::WA_InputMethodEnabled, true);
        Qt::InputMethodHints hints = w->inputMethodHints();
        hints.setFlag(Qt::ImhPreferLatin, !open);
        w->setInputMethodHints(hints);
    }
    if (target->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImHints);
}

bool ImeOpen(QWidget *window) {
    if (!window) return false;
    QWidget *w = window->focusProxy() ? window->focusProxy() : window;
    if (!w->testAttribute(Qt::WA_InputMethodEnabled)) return false;
    const QVariant hints = w->inputMethodQuery(Qt::ImHints);
    const auto flags = Qt::InputMethodHints(hints.isValid() ? hints.toInt() : int(w->inputMethodHints()));
    return !flags.testFlag(Qt::ImhPreferLatin);
}

QVariant CutText(const QString &text, const QVariant &separator, int mode) {
    const bool numericZero = separator.typeId() == QMetaType::Int && separator.toInt() == 0;
    if (numericZero && mode == 2) {
        const qsizetype nul = text.indexOf(QChar(0));
        return nul < 0 ? text : text.left(nul);
    }
    const QString sep = separator.toString();
    const qsizetype at = sep.isEmpty() ? -1 : text.indexOf(sep);
    if (at < 0) return text;
    if (mode == 0) return text.mid(at + sep.size());
    if (mode == 2) return text.left(at);
    return {};
}

}  // namespace tqen::ModTqen
