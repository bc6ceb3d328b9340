#include "platform/forms/Accessible.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace tqen::forms {

void nameField(QWidget *field, const QString &name) {
    if (!field) return;
    field->setAccessibleName(name);
    if (QWidget *inner = field->focusProxy()) inner->setAccessibleName(name);
    if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(name);
}

QLabel *fieldLabel(const QString &text, QWidget *field, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setBuddy(field);
    nameField(field, QString(text).remove(QLatin1Char('&')));
    return label;
}

// A caption as it is read: without a mnemonic "(&E)" or "&".
QString plainCaption(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("[(（]&.[)）]"));
    text.remove(mnemonic);
    text.remove(QLatin1Char('&'));
    return text.trimmed();
}

namespace {

QString caption(const QAbstractButton *b) { return plainCaption(b->text()); }

QString describe(const QWidget *w) {
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
}

void walk(QAccessibleInterface *node, QStringList &problems, int depth) {
    if (!node || depth > 64) return;
    const QAccessible::State state = node->state();
    QWidget *w = qobject_cast<QWidget *>(node->object());
    if (w && state.focusable && !state.invisible && !state.disabled && w->isVisibleTo(w->window())) {
        const QString name = node->text(QAccessible::Name).trimmed();
        if (name.isEmpty()) problems << describe(w) + QStringLiteral(": focusable without a name");
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && !caption(b).isEmpty() && !name.contains(caption(b)))
            problems << describe(w) + QStringLiteral(": name \"%1\" does not hold the caption \"%2\"").arg(name, caption(b));
    }
    for (int i = 0; i < node->childCount(); ++i) walk(node->child(i), problems, depth + 1);
}

}  // namespace

QString buttonName(const QString &caption, const QString &purpose) {
    const QString plain = plainCaption(caption);
    if (purpose.isEmpty() || purpose.contains(plain)) return purpose.isEmpty() ? plain : purpose;
    return purpose + QStringLiteral("（") + plain + QStringLiteral("）");
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QString &purpose,
                    const QString &tip) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(buttonName(caption, purpose));
    if (!tip.isEmpty()) b->setToolTip(tip);
    return b;
}

QStringList accessibilityProblems(QWidget *window) {
    QStringList problems;
    walk(QAccessible::queryAccessibleInterface(window), problems, 0);
    return problems;
}

}  // namespace tqen::forms
