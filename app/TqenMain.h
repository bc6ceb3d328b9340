#pragma once
// The main screen: start-up, the entry boxes and the button bar.
#include "platform/com/ControlHost.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"

#include <functional>
#include <memory>
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
    Error EntryCustomer(const QString &name);
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
    // and its customer when that day's cell is marked navy.
    void SetJump();
    // Opens the report list with that hand-over, not modal.
    void Command3_Click();
    void Command1_Click();
    // Opens the code table form.
    void Command5_Click();
    // Opens the maintenance form.
    void Command11_Click();

    // The search tab: reports whose title, memo or customer name hold the
    // typed text. PrepareSearchIndex starts making the data file's search
    // index when it has none, and indexing the reports other programs wrote
    // since, in the background; it gives back why the last run failed.
    void cmd検索_Click();
    Error PrepareSearchIndex();
    // Shows a found report in the entry tab.
    void OpenSearchHit(QTreeWidgetItem *item);

    // Print conditions and the printed daily reports.
    void cmd印刷_Click();
    void cmd印刷プレビュー_Click();
    void cmd印刷実行_Click();
    void cmd印刷条件クリア_Click();
    void cmd印刷条件閉じる_Click();
    // Fills w日報印刷 with the reports the conditions select, then shows the
    // report (preview) or prints it; a failure is told to the user and given
    // back.
    Error FillPrintTable(bool preview);
    // The statement that fills w日報印刷; an invalid date or an empty text
    // leaves its condition out.
    static QString PrintTableStatement(const QDate &start, const QDate &end, const QString &customer,
                                       const QString &staff, const QString &dataDbPath);

    // Colours of the day cells (24-bit values with blue in the high byte;
    // the high bit marks a system colour).
    static constexpr quint32 ColorButtonFace = 0x8000000F;   // 2147483663
    static constexpr quint32 ColorButtonText = 0x80000012;
    static constexpr quint32 ColorWindow = 0x80000005;       // 2147483653
    static constexpr quint32 ColorToday = 12251134;          // light yellow
    static constexpr quint32 ColorMarked = 8388608;          // navy
    static constexpr quint32 ColorMarkedAgain = 4210688;     // dark teal
    static QVariantMap dayCellLayout();
    // What a day cell shows: its caption and colours.
    QString cellCaption(int index) const;
    quint32 cellBackColor(int index) const;
    quint32 cellForeColor(int index) const;
    // Called during a registration between looking up the report (or the
    // customer) and writing it (a diagnostic hook; the race tests use it to
    // hold two programs in that gap at once).
    static void setLookupObserver(std::function<void()> observer);
    static void lookedUp();

    // The day a cell stands for; invalid for a cell outside the month.
    QDate cellDate(int index) const;
    QDate monthShown() const { return monthShown_; }
    int cellOffset() const { return offset_; }
    int cellCount() const { return int(LblCald.size()); }
    // What a screen reader hears of a day cell: the date and its state
    // ("今日", "日報2件"); empty for a cell outside the month.
    QString cellName(int index) const;
    // The day under the calendar's keyboard cursor.
    QDate calendarCursor() const { return cursorDay_; }
    // Why the day cells could not be created, empty when they were.
    QString cellError() const { return cellError_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Controls, by the names the forms use. Tests find them by objectName.
    forms::DateBox *txt日付 = nullptr;
    forms::DateBox *txt開始 = nullptr;
    forms::DateBox *txt終了 = nullptr;
    forms::FramedPanel *ImFrame3D3 = nullptr;
    forms::FramedPanel *imContainer3D9 = nullptr;
    forms::FramedPanel *Cn印刷条件 = nullptr;
    forms::FramedPanel *CnMsg = nullptr;
    QLabel *LMsg = nullptr;
    QLabel *lblから = nullptr;
    forms::ComboBox *cmb担当 = nullptr;
    forms::ComboBox *cmb顧客名 = nullptr;
    forms::TextBox *txtふりがな = nullptr;
    forms::TextBox *txtタイトル = nullptr;
    forms::TextBox *txtメモ = nullptr;
    QTabWidget *SSTab1 = nullptr;
    QWidget *calendarArea = nullptr;
    std::vector<com::HostedControl> LblCald;   // the 37 day cells, "LblCald_0" …
    QLabel *LblCalendarTitle = nullptr;
    QPushButton *cmdCaldBef = nullptr;
    QPushButton *CmdCaldNext = nullptr;
    forms::ComboBox *cmb印刷担当 = nullptr;
    forms::ComboBox *cmb印刷顧客名 = nullptr;
    QList<QPushButton *> cmd50;               // the kana index, "cmd50_0" …
    forms::DataControl *dat参照 = nullptr;
    forms::DataGrid *Grid参照 = nullptr;
    forms::FramedPanel *Msg検索中 = nullptr;
    QPushButton *cmd_Enter = nullptr;
    QPushButton *Command1 = nullptr;
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
    QPushButton *cmd閉じる = nullptr;
    QLineEdit *txt検索 = nullptr;
    QPushButton *cmd検索 = nullptr;
    QCheckBox *chk絞り込み = nullptr;
    QLabel *lbl絞り込み = nullptr;
    QLabel *lbl検索結果 = nullptr;
    QLabel *lbl件数 = nullptr;
    QTreeWidget *lst検索結果 = nullptr;
    void buildSearchTab(QWidget *tab);
    Error searchIndexError_;  // why the data file has no search index, if it has none
    QLabel *lbl索引 = nullptr;        // how far the search index is made, while it is
    QObject *searchIndexing_ = nullptr;  // the catch-up in the background and the timer that shows it
    void ShowSearchIndexing();
    void showSearchFilter();

    QWidget *dayGrid_ = nullptr;      // the weekday headings and day cells, one focusable unit
    QFrame *dayCursor_ = nullptr;     // the keyboard cursor's frame
    QDate cursorDay_;
    std::vector<int> reportCount_;    // reports of each cell's day
    std::vector<QString> cellNames_;  // what each cell was last named
    // Calls back when an assistive tool starts listening.
    struct AccessibilityWatch : QAccessible::ActivationObserver {
        explicit AccessibilityWatch(std::function<void()> onActive) : onActive_(std::move(onActive)) {
            QAccessible::installActivationObserver(this);
        }
        ~AccessibilityWatch() override { QAccessible::removeActivationObserver(this); }
        void accessibilityActiveChanged(bool active) override {
            listening = active;
            if (active) onActive_();
        }
        bool listening = false;
        std::function<void()> onActive_;
    };
    std::unique_ptr<AccessibilityWatch> accessibilityWatch_;
    bool calendarKey(int key);
    bool formKey(QKeyEvent *e);
    void moveCursor(const QDate &day);
    void placeCursor();
    void describeCells();
    void buildForm();
    void buildEntryTab(QWidget *tab);
    void buildButtonBar(QBoxLayout *bar);
    void buildPrintPanel();
    void buildProgressPanels();
    void buildIndexTab(QWidget *tab);
    void layoutPrintPanel();
    QPushButton *cmd印刷プレビュー = nullptr;
    QPushButton *cmd印刷実行 = nullptr;
    QPushButton *cmd印刷条件クリア = nullptr;
    QPushButton *cmd印刷条件閉じる = nullptr;
    void buildCalendar();
    void showCalendarTitle();
    void prepareCells();
    void setCell(int index, const QVariant &caption, const QVariant &back, const QVariant &fore);
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
    void chooseFolders();
    void removeLeftovers();
    void checkDataDatabase();
    void refuseDamagedFile();
    bool refusedAsDamaged();
    Error dataDamaged_;
    // Longest name (staff, customer, reading) a report takes: what the indexes
    // of the data file and of a server both hold.
    static constexpr int kMaxNameLength = 255;  // why the data file is not written, if it is damaged
    void askServerPasswords();

    QString applicationFolder_;
    QString cellError_;
    QDate monthShown_;
    // What each day cell was last told (its caption and colours), so that
    // unchanged properties are not sent again.
    struct CellLook {
        bool known = false;
        QString caption;
        quint32 back = 0;
        quint32 fore = 0;        // as asked for
        quint32 shownFore = 0;   // as sent: readable on the back colour
    };
    static quint32 readableFore(quint32 back, quint32 fore);
    quint32 shownFore(quint32 back, quint32 fore);
    QHash<quint64, quint32> shownFores_;
    void colourWeekdays();
    std::vector<QLabel *> weekdayHeadings_;
    std::vector<CellLook> cellLooks_;
    int offset_ = 0;
    int days_ = 0;
    bool unloading_ = false;
};

}  // namespace tqen
