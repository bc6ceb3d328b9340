#pragma once
// The maintenance form: the settings (data file, date style), the floppy and
// disk copies of the data file, the backup to a folder, the customer list
// and the bulk deletions, one tab each, with the buttons of the legend
// under them. The tabs reach one another through the form.
#include "model/Session.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"

class QKeyEvent;
class QLabel;
class QPushButton;
class QTabWidget;

namespace tqen::forms {
class FramedPanel;
}

namespace tqen::maintenance {
class HosyuCustomerTab;
class HosyuDataTab;
class HosyuDeletionTab;
class HosyuFolderTab;
class HosyuSettingsTab;
}  // namespace tqen::maintenance

namespace tqen {

class FrmHosyu : public forms::Form {
    Q_OBJECT
public:
    // session: the paths and settings of the run, shared with the main
    // screen: settings registered here are seen there at once.
    explicit FrmHosyu(model::Session &session);
    ~FrmHosyu() override;

    // The data tab's warning, on one line when the form is as wide as it.
    static const QString DataWarning;

    // Version label, date styles, settings, first drive, customer list.
    void Form_Load();

    // Settings of 管理.
    void ReadEnv();
    bool EntryEnv();
    void Clear保守画面();

    // What the tabs ask of one another.
    void Read顧客マスタ();
    void ReadSnapshots();
    void ReadDeletions();
    void showDataPath(const QString &path);

    // What the tabs share: the wait panel, the error box, the help pages
    // and a snapshot of the data file in use before an operation that
    // rewrites it (the snapshot list is read again).
    void showWait(const QString &text);
    void hideWait();
    void failed(const Error &e);
    void openHelp(const QString &page);
    Error safetySnapshot(const QString &operation);
    model::Session &session() { return session_; }

signals:
    // The settings were registered (the date style applies at once).
    void settingsRegistered();

private:
    void buildForm();
    bool formKey(QKeyEvent *e);

    QTabWidget *SSTab = nullptr;
    maintenance::HosyuSettingsTab *settingsTab = nullptr;
    maintenance::HosyuDataTab *dataTab = nullptr;
    maintenance::HosyuFolderTab *folderTab = nullptr;
    maintenance::HosyuCustomerTab *customerTab = nullptr;
    maintenance::HosyuDeletionTab *deletionTab = nullptr;
    QPushButton *cmd登録 = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmd閉じる = nullptr;
    QPushButton *cmd戻る = nullptr;
    QPushButton *cmdメニュー = nullptr;
    forms::FramedPanel *CnMsg = nullptr;
    QLabel *LMsg = nullptr;

    model::Session &session_;
};

}  // namespace tqen
