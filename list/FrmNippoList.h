#pragma once
// The report list: the daily reports of a period, newest first, optionally of
// one staff member and one customer, copied into the work table w日報一覧 and
// shown in a grid bound to it. Ticked lines can be deleted, the list printed
// or written as a CSV file, and one report handed back to the main screen.
#include "list/ListLineStates.h"
#include "model/ReportList.h"
#include "model/Session.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"
#include "platform/text/Encoding.h"

#include <QHash>
#include <QList>

#include <optional>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace tqen::forms {
class ComboBox;
class DataControl;
class DataGrid;
class DateBox;
class FramedPanel;
}  // namespace tqen::forms

namespace tqen {

class FrmNippoList : public forms::Form {
    Q_OBJECT
public:
    // session: the paths and settings of the run; the form keeps the
    // reference, so a setting changed elsewhere is seen here at once.
    explicit FrmNippoList(model::Session &session);
    ~FrmNippoList() override;

    // A day, staff member and customer handed over by the main screen: the
    // list is read for them when the form is next active.
    void handOver(const model::HandOver &report) { handOver_ = report; }

    // Shows the form with empty conditions, an empty list and filled lists.
    void Form_Load();
    // Takes a date (and staff member and customer) handed over by the main
    // screen, once: the list is read for that day.
    void Form_Activate();

    // Binds the grid and sets the date formats of the date style.
    void FormInit();
    // Fills the staff and customer lists.
    void SetComb();
    // Empties the conditions and the list.
    void BlankList();
    // Reads the reports of the conditions into the list; an empty period
    // becomes the current month. A failure is told to the user and given
    // back, and leaves the list empty. The first screen of lines is read at
    // once and shown; the rest follows as soon as the form is idle, or when
    // the grid or an action needs it (CompleteList).
    Error ReadList();
    // Reads the lines of the period that ReadList left for later. Deletion,
    // print and CSV call it first, so they cover every line of the period.
    Error CompleteList();
    // Reads the list of a period, staff member and customer chosen on
    // another form (the figures of a period).
    Error ShowPeriod(const model::ReportList::Period &period);
    // Deletes every report of the ticked lines' day, customer and staff
    // member after asking; all or nothing. The ticked lines leave the list.
    Error DeleteLine();
    // Puts the last deletion of reports back (Ctrl+Z) and reads the list
    // again; enabled while there is one to put back.
    void cmd元に戻す_Click();
    void ShowUndo();
    // Writes the lines shown (date, customer, reading, staff member, title,
    // memo, and the confirmation: state, confirmer, time, comments) to a CSV
    // file. Nothing is written when a character cannot be encoded.
    Error ExportCsv(const QString &path, text::Encoding encoding);
    // Confirms the reports of the ticked lines as this PC's confirmer after
    // one question, with an optional comment stored on each, all or none
    // ("一括確認").
    Error ConfirmLines();

    // Grid columns.
    static constexpr int ColTick = 0, ColDate = 1, ColCustomer = 2, ColTitle = 3, ColStaff = 4, ColConfirm = 5, ColNextStep = 6;
    // Lines read at once: more than the tallest grid shows, and the grid
    // reads as many at a time as it scrolls.
    static constexpr int ScreenLines = 100;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void buildConditions();
    void buildButtons();
    void buildPanels();
    bool formKey(QKeyEvent *event);
    void showMessage(const QString &text);
    void hideMessage();
    void report(const Error &error);

    void cmd読込_Click();
    void cmdクリア_Click();
    void cmd削除_Click();
    void cmd印刷_Click();
    void cmd印刷選択_Click(int index);
    void cmdCSV出力_Click();
    void cmd日報_Click();
    void cmd一括確認_Click();
    // Reads the confirmations of the days the grid has read lines of, as
    // far as they were not read yet.
    void readConfirmations(bool restart);
    void cmd閉じる_Click();
    void cmdHint_Click();
    void grid_KeyDown(int key, Qt::KeyboardModifiers modifiers, bool *consumed);

    forms::FramedPanel *ImFrame3D3 = nullptr;
    QLabel *lbl期間 = nullptr;
    forms::DateBox *txt開始 = nullptr;
    QLabel *lblから = nullptr;
    forms::DateBox *txt終了 = nullptr;
    QLabel *lbl担当 = nullptr;
    forms::ComboBox *cmb担当 = nullptr;
    QLabel *lbl顧客名 = nullptr;
    forms::ComboBox *cmb顧客名 = nullptr;
    QPushButton *cmd読込 = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmdHint = nullptr;
    forms::DataControl *dat日報一覧 = nullptr;
    forms::DataGrid *Grid日報一覧 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *cmd元に戻す = nullptr;
    QPushButton *cmd印刷 = nullptr;
    QPushButton *cmdCSV出力 = nullptr;
    QPushButton *cmd日報 = nullptr;
    QPushButton *cmd閉じる = nullptr;
    QCheckBox *chk未確認のみ = nullptr;
    QPushButton *cmd一括確認 = nullptr;
    QPushButton *cmdカルテ = nullptr;
    forms::FramedPanel *CnMsg = nullptr;
    QLabel *LMsg = nullptr;
    forms::FramedPanel *Cn印刷選択 = nullptr;
    QList<QPushButton *> cmd印刷選択;

    model::Session &session_;
    model::HandOver handOver_;
    // The older days of the period read, still to be read into the list.
    std::optional<model::ReportList::Period> pending;
    // The period of the list, and its lines' 確認 and 次回予定 columns.
    model::ReportList::Period listed;
    ListLineStates states_{session_.dataDbPath};
};

}  // namespace tqen
