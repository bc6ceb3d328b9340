#include "model/MemoTemplates.h"

#include "model/Values.h"
#include "platform/dao/Dao.h"

#include <QSet>

namespace tqen::model::MemoTemplates {

const QString Table = QStringLiteral("メモテンプレート");

namespace {
using Kind = dao::AddedColumn::Kind;
}

const dao::AddedTable &definition() {
    static const dao::AddedTable t{Table,
                                   {{QStringLiteral("順序"), Kind::Integer},
                                    {QStringLiteral("名前"), Kind::Text},
                                    {QStringLiteral("本文"), Kind::Text}},
                                   {{QStringLiteral("順序")}}};
    return t;
}

QList<MemoTemplate> defaults() {
    return {{QStringLiteral("商談"), QStringLiteral("【商談内容】\n\n【見積】\n\n【感触】\n\n【次回アクション】\n")}};
}

QString problem(const QList<MemoTemplate> &templates, int *at) {
    QSet<QString> names;
    for (int i = 0; i < templates.size(); ++i) {
        if (at) *at = i;
        const MemoTemplate &t = templates[i];
        const QString name = t.name.trimmed();
        if (name.isEmpty()) return QStringLiteral("%1 番目のテンプレートに名前がありません。").arg(i + 1);
        if (name.size() > MaxName)
            return QStringLiteral("テンプレート「%1…」の名前は %2 文字までです（%3 文字あります）。")
                .arg(name.left(10))
                .arg(MaxName)
                .arg(name.size());
        if (names.contains(name)) return QStringLiteral("テンプレート「%1」が二つあります。名前を変えてください。").arg(name);
        names.insert(name);
        if (t.text.isEmpty()) return QStringLiteral("テンプレート「%1」の本文がありません。").arg(name);
        if (t.text.size() > MaxText)
            return QStringLiteral("テンプレート「%1」の本文は %2 文字までです（%3 文字あります）。"
                                  "本文は残してありますので、短くしてから保存してください。")
                .arg(name)
                .arg(MaxText)
                .arg(t.text.size());
    }
    if (at) *at = -1;
    return {};
}

QList<MemoTemplate> list(const QString &dataDbPath, bool *saved, Error *error) {
    const QString text = QStringLiteral("テンプレートを読めませんでした。");
    if (saved) *saved = false;
    if (error) *error = Error();
    auto db = dao::Database::open(dataDbPath);
    QString why;
    const std::optional<bool> has = dao::hasTable(db, Table, &why);
    if (!has) {
        if (error) *error = Error(Error::Code::DatabaseFailed, text, why);
        return {};
    }
    if (!*has) return defaults();
    auto rs = db.openRecordset(QStringLiteral("select 名前, 本文 from メモテンプレート order by 順序"));
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(text, db, rs);
        return {};
    }
    QList<MemoTemplate> out;
    for (; !rs.eof(); rs.moveNext())
        out << MemoTemplate{textOf(rs.field(QStringLiteral("名前"))), textOf(rs.field(QStringLiteral("本文")))};
    if (saved) *saved = true;
    return out;
}

Error save(const QString &dataDbPath, const QList<MemoTemplate> &templates) {
    const QString text = QStringLiteral("テンプレートを保存できませんでした。");
    if (const QString why = problem(templates); !why.isEmpty()) return Error(Error::Code::BadInput, text, why);
    auto db = dao::Database::open(dataDbPath);
    if (!db.beginWriteTrans()) return dao::failure(text, db);
    const auto fail = [&db](Error e) {
        db.rollback();
        return e;
    };
    if (Error e = dao::ensureTable(db, definition()); !e.ok()) return fail(Error(e.code(), text, e.detail()));
    if (!db.execute(QStringLiteral("delete * from メモテンプレート"))) return fail(dao::failure(text, db));
    for (int i = 0; i < templates.size(); ++i)
        if (!run(db, QStringLiteral("insert into メモテンプレート (順序, 名前, 本文) values (?, ?, ?)"),
                 {i + 1, templates[i].name.trimmed(), templates[i].text}))
            return fail(dao::failure(text, db));
    if (!db.commitTrans()) return fail(dao::failure(text, db));
    return {};
}

}  // namespace tqen::model::MemoTemplates
