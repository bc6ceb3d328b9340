#pragma once
// The row of buttons under the main screen: the report buttons from the
// left, "閉じる" on the right. Each button has an Alt key, shown underlined
// after its caption as "登録(S)"; its accessible name stays the caption.
// "元に戻す" has Ctrl+Z instead (in a text box Ctrl+Z undoes the typing
// there) and starts disabled.
#include <QHBoxLayout>
#include <QString>

class QPushButton;

namespace tqen {

class MainButtonBar : public QHBoxLayout {
    Q_OBJECT
public:
    // The buttons are the form's own controls; the row lays them out.
    explicit MainButtonBar(QWidget *form);

    // The button of that object name ("cmd登録", "Command3", …).
    QPushButton *button(const QString &name) const;
    // Puts another control into the row, before a button.
    void insertBefore(QPushButton *button, QWidget *control);
};

}  // namespace tqen
