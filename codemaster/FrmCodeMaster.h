#pragma once
// The code table form: one class of コードマスタ at a time is copied into the
// work table wコードマスタ, edited in a grid of thirty numbered rows, and
// written back as the whole class.
#include "model/Session.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"

#include <QVariant>

#include <functional>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace tqen::forms {
class ComboBox;
class DataControl;
class DataGrid;
class FramedPanel;
}  // namespace tqen::forms

namespace tqen {

class FrmCodeMaster : public forms::Form {
    Q_OBJECT
public:
    // session: the paths of the run (the data and work databases).
    explicit FrmCodeMaster(const model::Session &session);
    ~FrmCodeMaster() override;

    // Shows the form and loads the first class of the list.
    void Form_Load();

    // Binds the grid to the work table and offers the class "担当".
    void FormInit();
    // Thirty blank rows "01" … "30".
    void BlankCodeGrid();
    // Copies the chosen class into the grid (rows "01" … "30" only).
    void LoadCodeClass();
    // Replaces every row of the chosen class with the rows of the grid, all
    // or nothing. With confirm it asks first and does nothing for a grid
    // without names. A failure keeps the class and the grid as they were.
    Error RegisterCodeClass(bool confirm);
    // Frees the names of the ticked lines and registers the class.
    Error DeleteCheckedCodes();

    // Called inside the registration's transaction after each of its
    // statements, with the number of statements run so far (a diagnostic
    // hook; the tests use it to stop a registration half-way).
    static void setRegistrationObserver(std::function<void(int)> observer);

    static constexpr int GridRows = 30;

signals:
    // A class was written to the code table (registration or deletion).
    void registered(const QString &codeClass);

public:
    // Grid columns.
    static constexpr int ColTick = 1, ColCode = 2, ColName = 3, ColOrder = 4;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void buildButtons();
    bool formKey(QKeyEvent *event);
    void loadWithIndicator();
    void report(const Error &error);
    Error writeClass(const QString &codeClass);

    void cmd戻る_Click();
    void cmdメニュー_Click();
    void cmd登録_Click();
    void cmd削除_Click();
    void cmdクリア_Click();
    void cmd閉じる_Click();
    void cmdHint_Click();

    void grid_BeforeColUpdate(int col, const QVariant &oldValue, QVariant *value, bool *cancel);
    void grid_BeforeUpdate(int row, QVariantList *cells, bool *cancel);
    void grid_Click();
    void grid_KeyDown(int key, Qt::KeyboardModifiers modifiers, bool *consumed);
    void grid_KeyPress(const QString &text, bool *consumed);
    void grid_RowColChange();
    void flipTick();

    QLabel *Label17 = nullptr;
    forms::ComboBox *cmb区分 = nullptr;
    QPushButton *cmd読込 = nullptr;
    forms::DataControl *datコードマスタ = nullptr;
    forms::DataGrid *Gridコードマスタ = nullptr;
    forms::FramedPanel *lblMsg = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label37 = nullptr;
    QPushButton *cmd戻る = nullptr;
    QPushButton *cmdメニュー = nullptr;
    QPushButton *cmd登録 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmd閉じる = nullptr;
    QPushButton *cmdHint = nullptr;

    const model::Session &session_;
};

}  // namespace tqen
