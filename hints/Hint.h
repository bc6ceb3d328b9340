#pragma once
// The hint editor: a free text attached to one control of one form, kept in
// TqHint of the data database as fixed at start-up and addressed by the form
// name and the control name.
#include "model/Session.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"

class QLabel;
class QPushButton;

namespace tqen::forms {
class TextBox;
}

namespace tqen {

class Hint : public forms::Form {
    Q_OBJECT
public:
    // session: where the hints are kept (its data database as fixed at
    // start-up) and the help pages.
    explicit Hint(const model::Session &session);
    ~Hint() override;

    // Shows the one hint form for a control of a form (created when it is
    // not open, otherwise emptied and filled anew).
    static Hint *Open(const model::Session &session, const QString &formName, const QString &ctlName,
                      const QString &formTitle);
    // The stored hint of a control; empty when there is none.
    static QString StoredHint(const model::Session &session, const QString &formName, const QString &ctlName);

    // Takes the form name, control name and form title into the labels,
    // reads the hint, shows the form and puts the focus into the text.
    void Form_Load(const QString &formName, const QString &ctlName, const QString &formTitle);
    void ReadHint();
    // Replaces the stored hint with the text, in one transaction.
    Error EntryHint();
    Error Deleteヒント();

    // The colours of the edit button: locked (read-only) and editing.
    static constexpr quint32 ColorLocked = 0xC0C0C0;
    static constexpr quint32 ColorEditing = 0x8080FF;   // blue in the high byte

private:
    const model::Session &session_;
    void buildForm();
    void setEditing(bool editing);
    void report(const Error &error);
    bool hasAddress() const;

    void cmd編集_Click();
    void cmd登録_Click();
    void cmd削除_Click();
    void cmdクリア_Click();

    QLabel *lblFormName = nullptr;
    QLabel *lblCtlName = nullptr;
    QLabel *lblFormTitle = nullptr;
    forms::TextBox *txtContents = nullptr;
    QPushButton *cmd編集 = nullptr;
    QPushButton *cmd登録 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmd閉じる = nullptr;
    quint32 editColor_ = ColorLocked;
};

}  // namespace tqen
