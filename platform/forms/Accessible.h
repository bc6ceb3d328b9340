#pragma once
// Names that screen readers and automation (AT-SPI) read.
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace tqen::forms {

// Names a field: the field and the text editor inside it that takes the
// focus (the line of a date box or combo box, the editor of a text box)
// carry the name.
void nameField(QWidget *field, const QString &name);

// A label for a field: its text names the field, and the label is the
// field's buddy, so its mnemonic and the reader's "labelled by" lead there.
QLabel *fieldLabel(const QString &text, QWidget *field, QWidget *parent);

// A button's name: what it does, holding its caption ("読込" and "区分を
//読み込む" give "区分を読み込む（読込）"); the caption alone when no purpose
// is given or the purpose holds it already. A mnemonic "(&E)" or "&" is left
// out of the caption.
QString buttonName(const QString &caption, const QString &purpose);
// A caption as it is read: without a mnemonic "(&E)" or "&".
QString plainCaption(QString text);

// The one way a form makes a push button: its object name, its caption, the
// name a screen reader says (buttonName of caption and purpose) and, when
// given, the tip shown over it.
QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QString &purpose = QString(),
                    const QString &tip = QString());

// Problems a person using a screen reader or the keyboard would meet in a
// window: a focusable control without a name, a button whose name does not
// hold its caption. One line each, empty when there are none.
QStringList accessibilityProblems(QWidget *window);

}  // namespace tqen::forms
