#pragma once
// The customer index tab of the main screen: fifty kana buttons, the list of
// the customers whose reading begins with the kana pressed (the work
// database's w顧客参照), and the buttons that take the chosen customer into
// the entry and open the tab's help.
#include <QList>
#include <QString>
#include <QWidget>

class QPushButton;

namespace tqen::forms {
class DataControl;
class DataGrid;
}  // namespace tqen::forms

namespace tqen {

class CustomerIndexTab : public QWidget {
    Q_OBJECT
public:
    explicit CustomerIndexTab(QWidget *parent = nullptr);

    // The work database whose w顧客参照 the list shows.
    void setWorkDatabase(const QString &workDbPath);
    // Reads the list again after w顧客参照 changed.
    void refresh();
    // The caption of a kana button ("あ" … "ん", and the blank).
    QString kanaCaption(int index) const;
    // The chosen customer's name and reading; null when none is chosen or
    // the field is Null.
    QVariant chosenName() const;
    QVariant chosenReading() const;

signals:
    void kanaClicked(int index);
    void chooseClicked();
    void helpClicked();
    // The chosen customer's history was asked for.
    void historyClicked();

private:
    QList<QPushButton *> cmd50;               // "cmd50_0" …
    forms::DataControl *dat参照 = nullptr;
    forms::DataGrid *Grid参照 = nullptr;
    QPushButton *cmd_Enter = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *cmdカルテ = nullptr;
};

}  // namespace tqen
