#pragma once
// A text box, single-line or multi-line (memos), with a read-only switch.
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace tqen::forms {

class TextBox : public QWidget {
    Q_OBJECT
public:
    TextBox(const QString &name, bool multiLine, QWidget *parent = nullptr);

    QString Text() const;
    void setText(const QString &text);
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;
    void SetFocus();
    // The editing widget, for focus order and tests.
    QWidget *editor() const;

signals:
    void textChanged();
    // The text changed by typing, pasting or the editor's own undo: every
    // change but those made through setText().
    void edited();

private:
    bool settingText_ = false;
    QLineEdit *line_ = nullptr;
    QPlainTextEdit *multi_ = nullptr;
};

}  // namespace tqen::forms
