#pragma once
// The customer index tab of the main screen: fifty kana buttons, the list of
// the customers whose reading begins with the kana pressed (the work
// database's w顧客参照), and the buttons that take the chosen customer into
// the entry and open the tab's help. Pressing a kana fills the list.
#include "platform/error/Error.h"

#include <QList>
#include <QString>
#include <QWidget>

class QPushButton;

namespace tqen::forms {
class DataControl;
class DataGrid;
}  // namespace tqen::forms

namespace tqen::model {
struct Session;
}  // namespace tqen::model

namespace tqen {

class CustomerIndexTab : public QWidget {
    Q_OBJECT
public:
    // The files of the session are read when a kana is pressed.
    explicit CustomerIndexTab(const model::Session &session, QWidget *parent = nullptr);

    // A kana button: the customers whose reading begins with its kana.
    void cmd50_Click(int index);
    // Fills w顧客参照 with the customers whose reading begins with the kana
    // (in hiragana, katakana or half-width kana; every customer with a
    // reading for the blank) in one transaction, and shows them.
    void ReadSansyo(const QString &kana);
    // The katakana and half-width spellings of a hiragana reading; Null
    // where it has none.
    static void GetKanaStr(const QString &hiragana, QVariant &katakana, QVariant &halfWidth);

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
    // The list is being read (true) or has been read (false).
    void busy(bool reading);
    void failed(const Error &error);
    void chooseClicked();
    void helpClicked();
    // The chosen customer's history was asked for.
    void historyClicked();

private:
    const model::Session &session_;
    QList<QPushButton *> cmd50;               // "cmd50_0" …
    forms::DataControl *dat参照 = nullptr;
    forms::DataGrid *Grid参照 = nullptr;
    QPushButton *cmd_Enter = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *cmdカルテ = nullptr;
};

}  // namespace tqen
