#include "platform/forms/ComboBox.h"

#include <QLineEdit>

namespace tqen::forms {

ComboBox::ComboBox(const QString &name, QWidget *parent) : QComboBox(parent) {
    setObjectName(name);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
}

void ComboBox::Clear() {
    clear();
    setEditText(QString());
}

void ComboBox::AddItem(const QString &item) {
    // Adding to the list keeps what the user typed.
    const QString typed = currentText();
    addItem(item);
    setEditText(typed);
}

QString ComboBox::List(int index) const { return itemText(index); }
int ComboBox::ListCount() const { return count(); }
QString ComboBox::Text() const { return currentText(); }

void ComboBox::setText(const QString &text) {
    const int index = findText(text, Qt::MatchExactly);
    if (index >= 0) setCurrentIndex(index);
    setEditText(text);
}

}  // namespace tqen::forms
