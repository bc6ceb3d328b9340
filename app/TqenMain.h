#pragma once
// The main screen: start-up, the entry boxes and the button bar.
#include "platform/forms/Form.h"

#include <QString>

class QLabel;
class QPushButton;
class QTabWidget;

namespace tqen::forms {
class ComboBox;
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
    void chooseFolders();
    void checkDataDatabase();

    QString applicationFolder_;
    bool unloading_ = false;
};

}  // namespace tqen
