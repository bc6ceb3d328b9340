// The customer list of the maintenance form: a working copy in the work
// database (w顧客マスタ) that the grid edits, written back to the customer
// master when ticked rows are deleted or the form is registered.
#include "maintenance/HosyuCustomerTab.h"

#include "maintenance/FrmHosyu.h"

#include "messages/Msg.h"
#include "model/CustomerList.h"
#include "platform/forms/DataGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tqen::maintenance {

HosyuCustomerTab::HosyuCustomerTab(FrmHosyu &form) : HosyuTab(form) {
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(12, 12, 12, 12);
    dat顧客 = new forms::DataControl(QStringLiteral("dat顧客"), &form);
    Grid顧客 = new forms::DataGrid(QStringLiteral("Grid顧客"), dat顧客,
                                   {{QStringLiteral("チェック"), QStringLiteral("チェック"), true, false, {}, 70},
                                    {QStringLiteral("名称"), QStringLiteral("名称"), false, false, {}, 260},
                                    {QStringLiteral("ふりがな"), QStringLiteral("ふりがな"), false, false, {}, 220}},
                                   this);
    Grid顧客->setAccessibleName(QStringLiteral("顧客の一覧"));
    box->addWidget(Grid顧客, 1);
    auto *row = new QHBoxLayout;
    cmd読込 = button(QStringLiteral("cmd読込"), QStringLiteral("読込"), QStringLiteral("顧客の一覧を読み込む"), this);
    cmd削除 = button(QStringLiteral("cmd削除"), QStringLiteral("行削除"), QStringLiteral("チェックした顧客を削除する"), this);
    Command4 = helpButton(QStringLiteral("Command4"), this);
    for (QPushButton *b : {cmd読込, cmd削除}) {
        b->setFixedWidth(90);
        row->addWidget(b);
    }
    row->addStretch(1);
    row->addWidget(Command4);
    box->addLayout(row);
    connect(cmd読込, &QPushButton::clicked, this, &HosyuCustomerTab::Read顧客マスタ);
    connect(cmd削除, &QPushButton::clicked, this, &HosyuCustomerTab::DeleteLine顧客);
    connect(Command4, &QPushButton::clicked, this, [this] { form_.openHelp(QStringLiteral("VoRadu10.htm")); });
}

void HosyuCustomerTab::Form_Load() {
    dat顧客->DatabaseName = session_.workDbPath;
    dat顧客->RecordSource = QStringLiteral("w顧客マスタ");
}

void HosyuCustomerTab::clear() {
    model::CustomerList::clear(session_.workDbPath);
    dat顧客->Refresh();
}

void HosyuCustomerTab::Read顧客マスタ() {
    form_.showWait(QStringLiteral("読込中です･････"));
    const Error error = model::CustomerList::read(session_.workDbPath, session_.dataDbPath);
    dat顧客->Refresh();
    form_.hideWait();
    if (!error.ok()) form_.failed(error);
}

void HosyuCustomerTab::DeleteLine顧客() {
    Grid顧客->Update();
    bool ticked = false;
    for (int row = 0; row < dat顧客->rowCount() && !ticked; ++row)
        ticked = dat顧客->value(row, QStringLiteral("チェック")).toBool();
    if (!ticked) return;
    if (!MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), QStringLiteral("指定された顧客"))) return;
    Grid顧客->Update();
    Error error;
    const QList<model::CustomerList::Row> rows = model::CustomerList::rows(session_.workDbPath, true, &error);
    if (error.ok()) error = form_.safetySnapshot(QStringLiteral("顧客の行削除"));
    if (error.ok()) error = model::CustomerList::replaceMaster(session_.dataDbPath, rows);
    if (error.ok()) error = model::CustomerList::removeTicked(session_.workDbPath);
    dat顧客->Refresh();
    if (!error.ok()) form_.failed(error);
}

Error HosyuCustomerTab::Entry顧客マスタ() {
    form_.showWait(QStringLiteral("登録中です･････"));
    Grid顧客->Update();
    Error error;
    const QList<model::CustomerList::Row> rows = model::CustomerList::rows(session_.workDbPath, false, &error);
    // An empty working copy (the list was cleared or never read) leaves the
    // customer master as it is.
    if (error.ok() && !rows.isEmpty()) {
        error = form_.safetySnapshot(QStringLiteral("顧客一覧の登録"));
        if (error.ok()) error = model::CustomerList::replaceMaster(session_.dataDbPath, rows);
    }
    form_.hideWait();
    return error;
}

}  // namespace tqen::maintenance
