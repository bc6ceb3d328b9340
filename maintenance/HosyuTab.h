#pragma once
// A tab of the maintenance form. The form composes the five tabs; a tab
// reaches the others (a customer list to read again, the snapshot list) and
// the form's wait panel and error box through the form.
#include "model/Session.h"

#include <QWidget>

class QGridLayout;
class QLabel;
class QPushButton;

namespace tqen {

class FrmHosyu;

namespace maintenance {

class HosyuTab : public QWidget {
    Q_OBJECT
public:
    explicit HosyuTab(FrmHosyu &form);

protected:
    // The form's buttons: named, said what they do, Enter presses them.
    static QPushButton *button(const QString &name, const QString &caption, const QString &accessible, QWidget *parent);
    static QLabel *labelFor(const QString &text, QWidget *buddy, QWidget *parent);
    // One "label … 実行" row of the data, folder and deletion tabs.
    static QPushButton *actionRow(QGridLayout *grid, int row, const QString &name, const QString &text, QWidget *parent);
    static QPushButton *helpButton(const QString &name, QWidget *parent);

    FrmHosyu &form_;
    model::Session &session_;  // the form's, shared with the main screen
};

}  // namespace maintenance
}  // namespace tqen
