#pragma once
// The print conditions of the main screen: a panel shown over the form that
// holds the customer, the staff member and the period of the daily reports
// to print, with preview, print, clear and close.
#include "model/Session.h"
#include "platform/error/Error.h"
#include "platform/forms/FramedPanel.h"

#include <QDate>
#include <QStringList>

class QLabel;
class QPushButton;

namespace tqen::forms {
class ComboBox;
class DateBox;
}  // namespace tqen::forms

namespace tqen {

class PrintPanel : public forms::FramedPanel {
    Q_OBJECT
public:
    // session: the paths and date style the reports are printed with, read
    // at each print, since they can change while the program runs.
    PrintPanel(QWidget *form, const model::Session &session);

    // Opens the panel over the form with the entry's customer, staff member
    // and day; what the entry leaves empty keeps the panel's own value.
    void open(const QString &customer, const QString &staff, const QDate &day);
    // The lists of the two combo boxes (filling a list empties its box).
    void setStaffNames(const QStringList &names);
    void setCustomerNames(const QStringList &names);
    QString staffText() const;
    void setStaffText(const QString &staff);
    // The date boxes in the settings' date style.
    void applyDateStyle(bool era, const QString &dayFormat, const QString &monthFormat);

    void cmd印刷プレビュー_Click();
    void cmd印刷実行_Click();
    void cmd印刷条件クリア_Click();
    void cmd印刷条件閉じる_Click();
    // Fills w日報印刷 with the reports the conditions select, then shows the
    // report (preview) or prints it; a failure is told to the user and given
    // back.
    Error FillPrintTable(bool preview);

signals:
    // The panel was closed with its button or Escape.
    void closed();

private:
    void layoutPanel();
    const model::Session &session_;
    forms::FramedPanel *imContainer3D9 = nullptr;
    forms::DateBox *txt開始 = nullptr;
    forms::DateBox *txt終了 = nullptr;
    QLabel *lblから = nullptr;
    forms::ComboBox *cmb印刷担当 = nullptr;
    forms::ComboBox *cmb印刷顧客名 = nullptr;
    QPushButton *cmd印刷プレビュー = nullptr;
    QPushButton *cmd印刷実行 = nullptr;
    QPushButton *cmd印刷条件クリア = nullptr;
    QPushButton *cmd印刷条件閉じる = nullptr;
};

}  // namespace tqen
