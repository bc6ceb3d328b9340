#include "core/ModTqen.h"

#include "platform/dates/DateFormat.h"
#include "core/Globals.h"
#include "messages/Msg.h"
#include "platform/dao/Dao.h"
#include "platform/forms/Form.h"

#include <QWidget>

namespace tqen::ModTqen {

bool AddCodeName(const QString &codeClass, const QString &name) {
    bool result = false;
    auto db = dao::Database::open(G().DataDbPath);
    auto rs = db.openRecordset(QStringLiteral("select * from コードマスタ where kcode = ") +
                               dao::sqlText(codeClass) + QStringLiteral(" order by code"));
    if (!(rs.bof() && rs.eof())) {
        bool present = false;
        rs.moveFirst();
        while (!rs.eof()) {
            const QVariant sname = rs.field(QStringLiteral("sname"));
            if (!sname.isNull() && sname.toString() == name) {
                present = true;
                break;
            }
            rs.moveNext();
        }
        if (!present) {
            rs.moveFirst();
            while (!rs.eof()) {
                if (rs.field(QStringLiteral("sname")).isNull()) {
                    rs.edit();
                    rs.setField(QStringLiteral("sname"), name);
                    result = rs.update();
                    break;
                }
                rs.moveNext();
            }
        }
    }
    rs.close();
    db.close();
    return result;
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

namespace {
QString g_stack[5];
}

QVariant FormStack(const QString &mode, const QString &form) {
    if (form.isEmpty()) return {};
    if (mode == QStringLiteral("PUSH")) {
        for (int i = 4; i >= 1; --i) g_stack[i] = g_stack[i - 1];
        g_stack[0] = form;
        return true;
    }
    if (mode == QStringLiteral("POP")) {
        const QString top = g_stack[0];
        for (int i = 0; i < 4; ++i) g_stack[i] = g_stack[i + 1];
        g_stack[4].clear();
        if (top.isEmpty()) {
            if (auto *main = forms::findForm(QStringLiteral("TqenMain"))) {
                main->show();
                main->raise();
                main->activateWindow();
            }
            return false;
        }
        if (auto *f = forms::findForm(top)) {
            f->showNormal();
            f->show();
            f->raise();
            f->activateWindow();
        }
        return true;
    }
    return {};
}

QStringList FormStackEntries() {
    QStringList out;
    for (const QString &s : g_stack) out << s;
    return out;
}

void ResetFormStack() {
    for (QString &s : g_stack) s.clear();
}

void SetImeOpen(QWidget *window, bool open) {
    if (!window) return;
    // The input method follows the widget that has the focus; a widget that
    // refuses input methods takes plain keys (codes, numbers).
    window->setAttribute(Qt::WA_InputMethodEnabled, open);
    if (QWidget *proxy = window->focusProxy()) proxy->setAttribute(Qt::WA_InputMethodEnabled, open);
}

bool ImeOpen(QWidget *window) {
    if (!window) return false;
    QWidget *w = window->focusProxy() ? window->focusProxy() : window;
    return w->testAttribute(Qt::WA_InputMethodEnabled);
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
