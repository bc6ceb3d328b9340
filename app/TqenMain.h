#pragma once
// The main screen: start-up, the entry boxes and the button bar.
#include "platform/com/ControlHost.h"
#include "platform/forms/Form.h"

#include <vector>

#include <QString>

#include <QDate>
#include <QList>
#include <QVariant>

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
    void ReadLocalEnv();

    // Customer and staff selection.
    void SetComb(const QString &kind);
    bool EntryCustomer(const QString &name);
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
    void EntryNippo();
    bool DeleteNippo();
    void cmd登録_Click();
    void cmd削除_Click();
    void cmdクリア_Click();
    void cmd読込_Click();
    void cmdHint_Click();
    void Command1_Click();
    // Opens the maintenance form.
    void Command11_Click();

    // Controls, by the names the forms use.
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
    std::vector<com::HostedControl> LblCald;   // the 37 day cells
    QLabel *LblCalendarTitle = nullptr;
    QPushButton *cmdCaldBef = nullptr;
    QPushButton *CmdCaldNext = nullptr;

    // Colours of the day cells (24-bit values with blue in the high byte;
    // the high bit marks a system colour).
    static constexpr quint32 ColorButtonFace = 0x8000000F;   // 2147483663
    static constexpr quint32 ColorButtonText = 0x80000012;
    static constexpr quint32 ColorWindow = 0x80000005;       // 2147483653
    static constexpr quint32 ColorToday = 12251134;          // light yellow
    static constexpr quint32 ColorMarked = 8388608;          // navy
    static constexpr quint32 ColorMarkedAgain = 4210688;     // dark teal
    static QVariantMap dayCellLayout();
    QString cellCaption(int index) const;
    quint32 cellBackColor(int index) const;
    quint32 cellForeColor(int index) const;
    QDate monthShown() const { return monthShown_; }
    int cellOffset() const { return offset_; }
    // Why the day cells could not be created, empty when they were.
    QString cellError() const { return cellError_; }
    forms::ComboBox *cmb印刷担当 = nullptr;
    forms::ComboBox *cmb印刷顧客名 = nullptr;
    QList<QPushButton *> cmd50;
    forms::DataControl *dat参照 = nullptr;
    forms::DataGrid *Grid参照 = nullptr;
    forms::FramedPanel *Msg検索中 = nullptr;
    QPushButton *cmd_Enter = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *cmd登録 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmd読込 = nullptr;
    QPushButton *cmd印刷 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command11 = nullptr;
    QPushButton *cmdHint = nullptr;
    QPushButton *cmd閉じる = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildForm();
    void buildIndexTab(QWidget *tab);
    void buildCalendar();
    void prepareCells();
    void setCell(int index, const QVariant &caption, const QVariant &back, const QVariant &fore);
    void showProgress(forms::FramedPanel *panel, const QString &text = QString());
    void hideProgress(forms::FramedPanel *panel);
    void failed(const QString &what, const QString &error);
    void openHelp(const QString &page);
    void chooseFolders();
    void checkDataDatabase();

    QString applicationFolder_;
    QString lastError_;
    QString cellError_;
    QDate monthShown_;
    // What each day cell was last told (its caption and colours), so that
    // unchanged properties are not sent again.
    struct CellLook {
        bool known = false;
        QString caption;
        quint32 back = 0;
        quint32 fore = 0;
    };
    std::vector<CellLook> cellLooks_;
    int offset_ = 0;
    int days_ = 0;
    bool unloading_ = false;
};

}  // namespace tqen
