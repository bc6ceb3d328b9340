#include "platform/forms/FormStack.h"

#include "platform/forms/Form.h"

namespace tqen::forms {

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
            if (auto *main = findForm(QStringLiteral("TqenMain"))) {
                main->show();
                main->raise();
                main->activateWindow();
            }
            return false;
        }
        // The form given is brought back to its normal state; the name taken
        // off the stack only says whether there was one.
        if (auto *f = findForm(form)) {
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

}  // namespace tqen::forms
