// The deletion tab of the maintenance form: the bulk deletions, each after
// a safety snapshot of the data file and in one transaction.
#include "maintenance/HosyuDeletionTab.h"

#include "maintenance/FrmHosyu.h"
#include "messages/Msg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tqen::maintenance {

HosyuDeletionTab::HosyuDeletionTab(FrmHosyu &form) : HosyuTab(form) {
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(16, 16, 16, 12);
    auto *group = new QGroupBox(QStringLiteral("データ削除"), this);
    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(12);
    Command1 = actionRow(grid, 0, QStringLiteral("Command1"), QStringLiteral("すべてのデータを削除し初期状態に戻す"), group);
    Command6 = actionRow(grid, 1, QStringLiteral("Command6"), QStringLiteral("すべての顧客情報を削除する"), group);
    Command3 = actionRow(grid, 2, QStringLiteral("Command3"), QStringLiteral("すべての営業日報を削除する"), group);
    Command5 = actionRow(grid, 3, QStringLiteral("Command5"), QStringLiteral("コード表を削除する"), group);
    box->addWidget(group);
    box->addStretch(1);
    Command10 = helpButton(QStringLiteral("Command10"), this);
    box->addWidget(Command10, 0, Qt::AlignRight);
    connect(Command1, &QPushButton::clicked, this, &HosyuDeletionTab::DeleteAllData);
    connect(Command6, &QPushButton::clicked, this, [this] { DeleteAllKokyaku(true); });
    connect(Command3, &QPushButton::clicked, this, [this] { DeleteAll日報(true); });
    connect(Command5, &QPushButton::clicked, this, &HosyuDeletionTab::Command5_Click);
    connect(Command10, &QPushButton::clicked, this, [this] { form_.openHelp(QStringLiteral("VoRadu11.htm")); });
}

bool HosyuDeletionTab::deleteWithMessages(const QString &subject, model::DataDeletion::Parts parts, bool withMessages) {
    const QString group = QStringLiteral("削除");
    if (withMessages && !MSG::ShowMessage(group, QStringLiteral("伝票確認2"), subject)) return false;
    Error e = form_.safetySnapshot(subject + QStringLiteral("の削除"));
    if (e.ok()) e = model::DataDeletion::deleteAll(session_.dataDbPath, parts, subject);
    if (parts.testFlag(model::DataDeletion::Part::Reports)) form_.ReadDeletions();
    if (!e.ok()) {
        form_.failed(e);
        return false;
    }
    if (withMessages) MSG::ShowMessage(group, QStringLiteral("伝票完了2"), subject);
    return true;
}

bool HosyuDeletionTab::DeleteAllKokyaku(bool withMessages) {
    if (!deleteWithMessages(QStringLiteral("すべての顧客情報"), model::DataDeletion::Part::Customers, withMessages))
        return false;
    form_.Read顧客マスタ();   // the customer tab shows the emptied master
    return true;
}

bool HosyuDeletionTab::DeleteAll日報(bool withMessages) {
    return deleteWithMessages(QStringLiteral("すべての営業日報"), model::DataDeletion::Part::Reports, withMessages);
}

void HosyuDeletionTab::Command5_Click() {
    deleteWithMessages(QStringLiteral("すべてのコード表"), model::DataDeletion::Part::CodeNames, true);
}

// Everything goes in one transaction: a failure half-way deletes nothing.
bool HosyuDeletionTab::DeleteAllData() {
    using P = model::DataDeletion::Part;
    if (!deleteWithMessages(QStringLiteral("すべてのデータ"), P::Customers | P::CodeNames | P::Reports, true)) return false;
    form_.Read顧客マスタ();
    return true;
}

}  // namespace tqen::maintenance
