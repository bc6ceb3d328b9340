#pragma once
// The memo templates form (reached from the maintenance form): the office's
// templates in their order, each a name and a text. Templates are added,
// changed, deleted and moved in the form and written together with "保存";
// a set that cannot be saved is refused with the reason and stays in the
// form as typed.
#include "model/MemoTemplates.h"
#include "platform/forms/Form.h"

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tqen {

class FrmTemplate : public forms::Form {
    Q_OBJECT
public:
    // dataDbPath: the data database in use.
    explicit FrmTemplate(std::function<QString()> dataDbPath, QWidget *parent = nullptr);

    // Reads the office's templates (the default set while none are saved).
    void Form_Load();
    void cmd追加_Click();
    void cmd削除_Click();
    // Moves the chosen template one place up (-1) or down (+1).
    void move(int by);
    // Writes the set; true when saved.
    bool cmd保存_Click();

    QList<model::MemoTemplate> templates() const { return working_; }
    bool isDirty() const { return dirty_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showList(int current);
    void showCurrent();
    void takeTyped();

    std::function<QString()> dataDbPath_;
    QList<model::MemoTemplate> working_;
    int current_ = -1;
    bool dirty_ = false;
    bool showing_ = false;

    QListWidget *lstテンプレート = nullptr;
    QLineEdit *txt名前 = nullptr;
    QPlainTextEdit *txt本文 = nullptr;
    QLabel *lbl状態 = nullptr;
    QPushButton *cmd追加 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *cmd上へ = nullptr;
    QPushButton *cmd下へ = nullptr;
    QPushButton *cmd保存 = nullptr;
    QPushButton *cmd閉じる = nullptr;
};

}  // namespace tqen
