#pragma once
// The row of buttons under the main screen: the report buttons from the
// left, "閉じる" on the right. Each button has an Alt key, shown underlined
// after its caption as "登録(S)"; its accessible name stays the caption.
// "元に戻す" has Ctrl+Z instead (in a text box Ctrl+Z undoes the typing
// there) and starts disabled.
#include <QString>
#include <QWidget>

class QHBoxLayout;
class QPushButton;

namespace tqen {

class MainButtonBar : public QWidget {
    Q_OBJECT
public:
    explicit MainButtonBar(QWidget *parent);

    // The button of that object name ("cmd登録", "Command3", …).
    QPushButton *button(const QString &name) const;
    // Puts another control into the row, before a button.
    void insertBefore(QPushButton *button, QWidget *control);

private:
    QHBoxLayout *row_ = nullptr;
};

}  // namespace tqen
