#pragma once
// The main screen: start-up, and a composer of small widgets (the month
// calendar, the entry panel, the customer index, search and next-step tabs,
// the print panel) under a button bar.
#include "model/Session.h"
#include "platform/com/ControlHost.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"

#include <optional>

#include <QDate>
#include <QString>
#include <QVariant>

class QKeyEvent;
class QPushButton;
class QTabWidget;

namespace tqen {

class DataFileCheck;
class CustomerIndexTab;
class EntryPanel;
class FormLauncher;
class MainButtonBar;
class MonthCalendar;
class NextStepsTab;
class PrintPanel;
class ProgressNote;
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

    // Customer and staff selection.
    void SetComb(const QString &kind);
    void BlankForm();
    void cmd_Enter_Click();

    // Calendar.
    void SetClalendar();
    void SetMarkDate();
    void LblCald_Click(int index);
    void cmdCaldBef_Click();
    void CmdCaldNext_Click();

    // The report buttons under the screen; the entry panel does the work.
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

    // The month calendar on the left.
    MonthCalendar *calendar() const { return calendar_; }
    // The tab "営業日報": the entry boxes and the report's steps.
    EntryPanel *entryPanel() const { return entry_; }
    // What this run works on: its folders, files and settings. The forms
    // this screen opens share it.
    model::Session &session() { return session_; }
    // The month the calendar is to show (any day of it).
    void setCalendarDate(const QDate &day) { calendarDate_ = day; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The parts of the screen, by the names the forms use. Tests find the
    // controls by objectName.
    QWidget *calendarArea = nullptr;
    MonthCalendar *calendar_ = nullptr;
    QTabWidget *SSTab1 = nullptr;
    CustomerIndexTab *indexTab_ = nullptr;
    EntryPanel *entry_ = nullptr;
    SearchTab *searchTab_ = nullptr;
    NextStepsTab *stepsTab_ = nullptr;
    PrintPanel *Cn印刷条件 = nullptr;
    ProgressNote *CnMsg = nullptr;
    ProgressNote *Msg検索中 = nullptr;
    FormLauncher *forms_ = nullptr;  // the other forms
    // The buttons under the screen that the steps use; the row holds all.
    QPushButton *cmd元に戻す = nullptr, *cmd印刷 = nullptr;

    void buildForm();
    void buildCalendar();
    void buildEntryTab();
    void buildSearchTab();
    void buildNextStepsTab();
    void buildButtonBar(MainButtonBar *bar);
    void buildPrintPanel();
    void buildProgressPanels();
    void buildFormLauncher();
    bool formKey(QKeyEvent *e);
    void markConfirmedDays();
    // Shows a report in the entry, its month on the calendar.
    void showReport(const QDate &day, const QString &customer, const QString &staff);
    void markPlannedDays();
    void failed(const Error &error, int style = forms::mb::Critical);
    void openHelp(const QString &page);
    // Whether the data file is damaged is found behind the screen; the first
    // write waits for the answer.
    DataFileCheck *dataCheck_ = nullptr;

    QString applicationFolder_;
    model::Session session_;
    std::optional<model::HandOver> handOver_;
    QDate calendarDate_;  // a day of the month the calendar shows
    bool unloading_ = false;
};

}  // namespace tqen
