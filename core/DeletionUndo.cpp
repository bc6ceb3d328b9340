#include "core/DeletionUndo.h"

#include "platform/forms/Interaction.h"

#include <QStringList>

namespace tqen {

namespace {

const QString kTitle = QStringLiteral("元に戻す");

QString keyText(const model::ReportKey &k) {
    return QStringLiteral("%1  %2  %3").arg(k.day.toString(QStringLiteral("yyyy/MM/dd")), k.customer, k.staff);
}

void show(QWidget *owner, const Error &e) {
    forms::interaction().messageBox(owner, e.message(), forms::mb::OK | forms::mb::Critical, kTitle);
}

}  // namespace

std::optional<model::DeletedReports::Deletion> LastDeletion(const QString &dataDbPath) {
    return model::DeletedReports(dataDbPath).last();
}

UndoResult UndoDeletion(QWidget *owner, const QString &dataDbPath, const model::DeletedReports::Deletion &deletion) {
    UndoResult result;
    const int answer = forms::interaction().messageBox(
        owner, QStringLiteral("削除した営業日報を元に戻します。よろしいですか。\n%1").arg(model::DeletedReports::describe(deletion)),
        forms::mb::YesNo | forms::mb::Question, kTitle);
    if (answer != forms::mb::IdYes) return result;
    const model::DeletedReports store(dataDbPath);
    using Conflicts = model::DeletedReports::Conflicts;
    Error e = store.restore(deletion.id, Conflicts::Ask, &result.restored);
    if (e.ok() && !result.restored.conflicting.isEmpty()) {
        // Reports registered again since: never overwritten without asking.
        const QList<model::ReportKey> &again = result.restored.conflicting;
        QStringList lines;
        for (qsizetype i = 0; i < again.size() && i < 10; ++i) lines << keyText(again[i]);
        if (again.size() > 10) lines << QStringLiteral("ほか %1 件").arg(again.size() - 10);
        const int how = forms::interaction().messageBox(
            owner,
            QStringLiteral("削除したあとで、同じ日付・顧客名・担当の営業日報が %1 件登録されています。\n%2\n\n"
                           "「はい」: 削除した営業日報に置き換えます (いまの営業日報は削除の控えに残ります)。\n"
                           "「いいえ」: いまの営業日報を残し、ほかの営業日報だけを元に戻します。\n"
                           "「キャンセル」: 何もしません。")
                .arg(again.size())
                .arg(lines.join(u'\n')),
            forms::mb::YesNoCancel | forms::mb::Question | forms::mb::DefaultButton2, kTitle);
        if (how != forms::mb::IdYes && how != forms::mb::IdNo) return result;
        e = store.restore(deletion.id, how == forms::mb::IdYes ? Conflicts::Replace : Conflicts::KeepCurrent,
                          &result.restored);
    }
    if (!e.ok()) {
        show(owner, e);
        return result;
    }
    result.done = result.restored.restored > 0;
    if (deletion.reports == 1 && result.restored.restored == 1 && deletion.first.isValid())
        result.only = model::ReportKey{deletion.first, deletion.customer, deletion.staff};
    QString told = result.restored.restored > 0
                       ? QStringLiteral("%1 件の営業日報を元に戻しました。").arg(result.restored.restored)
                       : QStringLiteral("元に戻した営業日報はありません。");
    if (result.restored.left > 0)
        told += QStringLiteral("\n登録し直されていた %1 件は、削除の控えに残しています。").arg(result.restored.left);
    forms::interaction().messageBox(owner, told, forms::mb::OK | forms::mb::Information, kTitle);
    return result;
}

}  // namespace tqen
