// The customer list of the maintenance form: a working copy in the work
// database (w顧客マスタ) that the grid edits, written back to the customer
// master when ticked rows are deleted or the form is registered.
#include "maintenance/FrmHosyu.h"

#include "core/Globals.h"
#include "messages/Msg.h"
#include "platform/dao/Dao.h"
#include "platform/forms/DataGrid.h"

#include <QHash>

namespace tqen {

namespace {

struct CustomerRow {
    QString name;
    QVariant reading;
};

// The named rows of the working copy, ticked ones left out when asked.
Error readWorkingCopy(bool leaveOutTicked, QList<CustomerRow> *rows) {
    auto work = dao::Database::open(G().WorkDbPath);
    auto rs = work.openRecordset(QStringLiteral("select * from w顧客マスタ where not isnull(名称)"));
    if (!rs.isOpen()) return dao::failure(QStringLiteral("顧客の一覧を読めませんでした。"), work, rs);
    while (!rs.eof()) {
        const QString name = rs.field(QStringLiteral("名称")).toString();
        if (!name.isEmpty() && !(leaveOutTicked && rs.field(QStringLiteral("チェック")).toBool()))
            rows->append({name, rs.field(QStringLiteral("ふりがな"))});
        rs.moveNext();
    }
    return {};
}

// Replaces the rows of 顧客マスタ by the rows given, in one transaction. The
// copy carries no staff member: each customer that stays keeps the 担当 its
// row of the master had (matched by name).
Error replaceCustomerMaster(const QList<CustomerRow> &rows) {
    const QString failedText = QStringLiteral("顧客マスタを書き換えられませんでした。顧客マスタは元のままです。");
    auto data = dao::Database::open(G().DataDbPath);
    QHash<QString, QList<QVariant>> staffOf;
    {
        auto old = data.openRecordset(QStringLiteral("select * from 顧客マスタ"));
        if (!old.isOpen()) return dao::failure(failedText, data, old);
        while (!old.eof()) {
            staffOf[old.field(QStringLiteral("名称")).toString()].append(old.field(QStringLiteral("担当")));
            old.moveNext();
        }
    }
    if (!data.beginTrans()) return dao::failure(failedText, data);
    if (!data.execute(QStringLiteral("delete * from 顧客マスタ "))) {
        Error e = dao::failure(failedText, data);
        data.rollback();
        return e;
    }
    auto rs = data.openRecordset(QStringLiteral("select * from 顧客マスタ"));
    for (const CustomerRow &row : rows) {
        rs.addNew();
        rs.setField(QStringLiteral("名称"), row.name);
        rs.setField(QStringLiteral("ふりがな"), row.reading);
        QList<QVariant> &staff = staffOf[row.name];
        if (!staff.isEmpty()) rs.setField(QStringLiteral("担当"), staff.size() > 1 ? staff.takeFirst() : staff.first());
        if (!rs.update()) {
            Error e = dao::failure(failedText, data, rs);
            data.rollback();
            return e;
        }
    }
    rs.close();
    if (!data.commitTrans()) {
        Error e = dao::failure(failedText, data);
        data.rollback();
        return e;
    }
    return {};
}

}  // namespace

void FrmHosyu::Read顧客マスタ() {
    showWait(QStringLiteral("読込中です･････"));
    auto work = dao::Database::open(G().WorkDbPath);
    Error error;
    if (!work.beginTrans() || !work.execute(QStringLiteral("delete * from w顧客マスタ")) ||
        !work.execute(QStringLiteral("insert into w顧客マスタ select 名称,ふりがな from ") + QStringLiteral("顧客マスタ in ") +
                      dao::sqlText(G().DataDbPath) + QStringLiteral(" order by ふりがな;")) ||
        !work.commitTrans()) {
        error = dao::failure(QStringLiteral("顧客の一覧を読み込めませんでした。"), work);
        work.rollback();
    }
    work.close();
    dat顧客->Refresh();
    hideWait();
    if (!error.ok()) failed(error);
}

void FrmHosyu::DeleteLine顧客() {
    Grid顧客->Update();
    bool ticked = false;
    for (int row = 0; row < dat顧客->rowCount() && !ticked; ++row)
        ticked = dat顧客->value(row, QStringLiteral("チェック")).toBool();
    if (!ticked) return;
    if (!MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), QStringLiteral("指定された顧客"))) return;
    Grid顧客->Update();
    QList<CustomerRow> rows;
    Error error = readWorkingCopy(true, &rows);
    if (error.ok()) error = safetySnapshot(QStringLiteral("顧客の行削除"));
    if (error.ok()) error = replaceCustomerMaster(rows);
    if (error.ok()) {
        auto work = dao::Database::open(G().WorkDbPath);
        if (!work.execute(QStringLiteral("delete * from w顧客マスタ where チェック = True")))
            error = dao::failure(QStringLiteral("顧客の一覧を更新できませんでした。"), work);
    }
    dat顧客->Refresh();
    if (!error.ok()) failed(error);
}

Error FrmHosyu::Entry顧客マスタ() {
    showWait(QStringLiteral("登録中です･････"));
    Grid顧客->Update();
    QList<CustomerRow> rows;
    Error error = readWorkingCopy(false, &rows);
    // An empty working copy (the list was cleared or never read) leaves the
    // customer master as it is.
    if (error.ok() && !rows.isEmpty()) {
        error = safetySnapshot(QStringLiteral("顧客一覧の登録"));
        if (error.ok()) error = replaceCustomerMaster(rows);
    }
    hideWait();
    return error;
}

}  // namespace tqen
