#include "maintenance/HosyuTab.h"

#include "maintenance/FrmHosyu.h"

#include "platform/forms/Accessible.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tqen::maintenance {

HosyuTab::HosyuTab(FrmHosyu &form) : form_(form), session_(form.session()) {}

QPushButton *HosyuTab::button(const QString &name, const QString &caption, const QString &accessible, QWidget *parent) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // The name says what the button does and holds its caption, so a reader
    // that was told "実行" finds it by either.
    b->setAccessibleName(forms::buttonName(caption, accessible));
    b->setMinimumHeight(30);
    b->setAutoDefault(true);
    return b;
}

QLabel *HosyuTab::labelFor(const QString &text, QWidget *buddy, QWidget *parent) {
    if (!buddy->accessibleName().isEmpty()) {
        auto *l = new QLabel(text, parent);
        l->setBuddy(buddy);
        forms::nameField(buddy, buddy->accessibleName());
        return l;
    }
    return forms::fieldLabel(text, buddy, parent);
}

QPushButton *HosyuTab::actionRow(QGridLayout *grid, int row, const QString &name, const QString &text, QWidget *parent) {
    auto *b = button(name, QStringLiteral("実行"), text, parent);
    b->setFixedWidth(90);
    grid->addWidget(labelFor(text, b, parent), row, 0);
    grid->addWidget(b, row, 1, Qt::AlignRight);
    grid->setColumnStretch(0, 1);
    return b;
}

QPushButton *HosyuTab::helpButton(const QString &name, QWidget *parent) {
    auto *b = button(name, QStringLiteral("ヘルプ"), QString(), parent);
    b->setFixedWidth(90);
    return b;
}

}  // namespace tqen::maintenance
