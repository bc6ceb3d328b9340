#pragma once
// The main screen: start-up, the entry boxes and the button bar.
#include "model/Session.h"
#include "platform/com/ControlHost.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>

#include <QAccessible>
#include <QDate>
#include <QHash>
#include <QList>
#include <QVariant>

class QBoxLayout;
class QCheckBox;
class QKeyEvent;
class QFrame;
class QGridLayout;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QLabel;
class QPushButton;
class QTabWidget;

namespace tqen::forms {
class ComboBox;
class DataControl;
class DataGrid;
class DateBox;
class FramedPanel;
class TextBox;
}  // namespace tqen::forms

namespace tqen {

class DataFileCheck;
class ConfirmationPanel;
class CustomerIndexTab;
class MemoTemplateButton;
class MonthCalendar;
class NextStepPanel;
class NextStepsTab;
class PrintPanel;
class SearchTab;

class TqenMain : public forms::Form {
    Q_OBJECT
public:
    // applicationFolder: the folder holding data/ and help/ (the program's
    // own folder unless a test says otherwise).
    explicit TqenMain(const QString &applicationFolder = QString());
    ~TqenMain() override;

    // Start-up sequence; shows the form first.
    void Form_Load();
    // Shows a report handed over by another form, once.
    void Form_Activate();
    // Unloads every other open form.
    void Form_Unload();

    void ReadDataEnv();
    void FormInit();
    // The date style of the settings on every date of the screen (boxes,
    // calendar title) and of an open report list, at once.
    void applyDateStyle();
    void ReadLocalEnv();

    // Customer and staff selection.
    void SetComb(const QString &kind);
    void BlankForm();
    void ReadSansyo(const QString &kana);
    static void GetKanaStr(const QString &hiragana, QVariant &katakana, QVariant &halfWidth);
    void cmd50_Click(int index);
    void cmd_Enter_Click();

    // Calendar.
    void SetClalendar();
    void SetMarkDate();
    void LblCald_Click(int index);
    void cmdCaldBef_Click();
    void CmdCaldNext_Click();

    // Report entry.
    void ReadNippo();
    bool CheckNippo();
    // Registers the entry after asking (without asking when confirm is
    // false); true when the report was registered.
    bool EntryNippo(bool confirm = true);
    bool DeleteNippo();
    // Puts the last deletion of reports back (Ctrl+Z); enabled while there
    // is one to put back.
    void cmd元に戻す_Click();
    void ShowUndo();
    void cmd登録_Click();
    void cmd削除_Click();
    void cmdクリア_Click();
    void cmd読込_Click();
    void cmdHint_Click();
    // The hand-over of the "一覧" button: the entry's day and staff member,
    // and its customer when that day's cell is marked navy; nothing without
    // a day.
    std::optional<model::HandOver> SetJump();
    // A report handed over by another form (the list): shown once, when this
    // form is next active.
    void handOver(const model::HandOver &report);
    // Opens the report list (not modal), handing it a day, staff member and
    // customer when given.
    void openReportList(const std::optional<model::HandOver> &jump);
    // Opens the report list with that hand-over, not modal.
    void Command3_Click();
    void Command1_Click();
    // Opens the code table form.
    void Command5_Click();
    // Opens the maintenance form.
    void Command11_Click();
    // "提出状況": who has reported in the calendar's month.
    void cmd提出状況_Click();

    // The search tab: reports whose title, memo or customer name hold the
    // typed text. PrepareSearchIndex starts making the data file's search
    // index when it has none, and indexing the reports other programs wrote
    // since, in the background; it gives back why the last run failed.
    void cmd検索_Click();
    Error PrepareSearchIndex();
    // Shows a found report in the entry tab.
    void OpenSearchHit(const QDate &day, const QString &customer, const QString &staff);

    // Opens the print conditions.
    void cmd印刷_Click();
    // Called during a registration between looking up the report (or the
    // customer) and writing it (a diagnostic hook; the race tests use it to
    // hold two programs in that gap at once).
    static void setLookupObserver(std::function<void()> observer);

    // The month calendar on the left.
    MonthCalendar *calendar() const { return calendar_; }
    // What this run works on: its folders, files and settings. The forms
    // this screen opens share it.
    model::Session &session() { return session_; }
    // The month the calendar is to show (any day of it).
    void setCalendarDate(const QDate &day) { calendarDate_ = day; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Controls, by the names the forms use. Tests find them by objectName.
    forms::DateBox *txt日付 = nullptr;
    forms::FramedPanel *ImFrame3D3 = nullptr;
    PrintPanel *Cn印刷条件 = nullptr;
    forms::FramedPanel *CnMsg = nullptr;
    QLabel *LMsg = nullptr;
    forms::ComboBox *cmb担当 = nullptr;
    forms::ComboBox *cmb顧客名 = nullptr;
    forms::TextBox *txtふりがな = nullptr;
    forms::TextBox *txtタイトル = nullptr;
    forms::TextBox *txtメモ = nullptr;
    ConfirmationPanel *confirmation_ = nullptr;  // under the memo
    void markConfirmedDays();
    QTabWidget *SSTab1 = nullptr;
    CustomerIndexTab *indexTab_ = nullptr;
    QWidget *calendarArea = nullptr;
    MonthCalendar *calendar_ = nullptr;
    forms::FramedPanel *Msg検索中 = nullptr;
    QPushButton *cmd登録 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *cmd元に戻す = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmd読込 = nullptr;
    QPushButton *cmd印刷 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command11 = nullptr;
    QPushButton *cmdHint = nullptr;
    QPushButton *cmd提出状況 = nullptr;
    QPushButton *cmd閉じる = nullptr;
    SearchTab *searchTab_ = nullptr;
    void buildSearchTab();
    // The next step under the memo, the templates beside it, the tab "予定".
    NextStepPanel *nextStep_ = nullptr;
    MemoTemplateButton *templates_ = nullptr;
    NextStepsTab *stepsTab_ = nullptr;
    void buildNextSteps(QGridLayout *entry, int row);
    void buildNextStepsTab();
    void markPlannedDays();

    bool formKey(QKeyEvent *e);
    void buildForm();
    void buildEntryTab(QWidget *tab);
    void buildButtonBar(QBoxLayout *bar);
    void buildPrintPanel();
    void buildProgressPanels();
    void buildCalendar();
    void showProgress(forms::FramedPanel *panel, const QString &text = QString());
    void hideProgress(forms::FramedPanel *panel);
    void failed(const Error &error, int style = forms::mb::Critical);
    // Before typed text would be replaced (another day, closing): when the
    // title or memo was edited since it was last shown or registered, asks
    // once whether to register it, discard it or stay. True when the action
    // may go on.
    bool keepTypedEntry();
    bool entryEdited_ = false;
    void openHelp(const QString &page);
    bool refusedAsDamaged();
    // Whether the data file is damaged is found behind the screen; the first
    // write waits for the answer, which is taken once.
    void startDataFileCheck();
    bool settleDataFileCheck();
    DataFileCheck *dataCheck_ = nullptr;
    bool dataSettled_ = true;
    Error dataDamaged_;  // why the data file is not written, if it is damaged
    // Longest name (staff, customer, reading) a report takes: what the indexes
    // of the data file and of a server both hold.
    static constexpr int kMaxNameLength = 255;

    QString applicationFolder_;
    model::Session session_;
    std::optional<model::HandOver> handOver_;
    QDate calendarDate_;  // a day of the month the calendar shows
    bool unloading_ = false;
};

}  // namespace tqen
