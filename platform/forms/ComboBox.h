#pragma once
// An editable combo box: its text may hold a value that is not in the list.
#include <QComboBox>

namespace tqen::forms {

class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(const QString &name, QWidget *parent = nullptr);
    // Empties the list and the typed text.
    void Clear();
    void AddItem(const QString &item);
    QString List(int index) const;
    int ListCount() const;
    QString Text() const;
    void setText(const QString &text);
};

}  // namespace tqen::forms
