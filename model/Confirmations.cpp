#include "model/Confirmations.h"

#include "model/CodeTable.h"
#include "model/Values.h"
#include "platform/dao/Dao.h"
#include "platform/profile/PrivateProfile.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace tqen::model::Confirmations {

const QString Table = QStringLiteral("日報確認");

namespace {

using Kind = dao::AddedColumn::Kind;

const QString kStamp = QStringLiteral("yyyy/MM/dd HH:mm:ss");
const QString kConfigFile = QStringLiteral("TqenUser.ini");
const QString kConfigSection = QStringLiteral("確認");
const QString kConfigKey = QStringLiteral("確認者");
// Confirmations are ordered by their number: the time in milliseconds,
// times a thousand, plus a random part, so two at once still differ.
constexpr qlonglong kNumberScale = 1000;

// A deletion number of 0 stands for the live rows (Null in the table).
QString ofDeletion(qlonglong id) {
    return id == 0 ? QStringLiteral("削除番号 is null") : QStringLiteral("削除番号 = ") + QString::number(id);
}

ConfirmState stateFor(const QByteArray &stored, const QByteArray &current) {
    return stored == current ? ConfirmState::Confirmed : ConfirmState::ChangedSince;
}

QDateTime timeOf(const QVariant &v) { return QDateTime::fromString(v.toString(), kStamp); }

Error checkConfirmer(dao::Database &db, const QString &confirmer, const QString &text) {
    if (confirmer.trimmed().isEmpty())
        return Error(Error::Code::BadInput, QStringLiteral("確認する人が選ばれていません。確認者を選んでください。"));
    Error e;
    const QStringList staff = CodeTable::namesIn(db, QStringLiteral("担当"), &e);
    if (!e.ok()) return Error(e.code(), text, e.message());
    if (!staff.contains(confirmer))
        return Error(Error::Code::BadInput,
                     QStringLiteral("確認者「%1」はコード表の担当にありません。確認者を選び直してください。").arg(confirmer));
    return {};
}

QString cleanComment(const QString &comment) {
    QString c = comment;
    c.replace(QChar(u'\0'), QChar(0xFFFD));
    return c;
}

// Writes one confirmation of the report that `key` names inside the
// caller's transaction, after reading the report as stored.
Error confirmIn(dao::Database &db, const ReportKey &key, const QString &confirmer, const QString &comment,
                const QByteArray &seen, const QDateTime &at, const QString &text) {
    auto rs = select(db, QStringLiteral("select タイトル, メモ from 営業日報 where 日付 = ? and 顧客名 = ? and 担当 = ?"),
                     {key.day, key.customer, key.staff});
    if (!rs.isOpen()) return dao::failure(text, db, rs);
    if (rs.eof())
        return Error(Error::Code::NotFound,
                     QStringLiteral("%1 %2 %3 の営業日報はありません。別の端末で削除された可能性があります。確認は記録していません。")
                         .arg(key.day.toString(QStringLiteral("yyyy/MM/dd")), key.customer, key.staff));
    const QByteArray stored = fingerprint(textOf(rs.field(QStringLiteral("タイトル"))), textOf(rs.field(QStringLiteral("メモ"))));
    rs.close();
    const qlonglong number = at.toMSecsSinceEpoch() * kNumberScale + QRandomGenerator::global()->bounded(int(kNumberScale));
    if (!run(db,
             QStringLiteral("insert into 日報確認 (確認番号, 日付, 顧客名, 担当, 確認者, 確認日時, コメント, 指紋) "
                            "values (?, ?, ?, ?, ?, ?, ?, ?)"),
             {number, key.day, key.customer, key.staff, confirmer, at.toString(kStamp),
              comment.isEmpty() ? QVariant() : QVariant(comment),
              QString::fromLatin1(seen.isEmpty() ? stored : seen)}))
        return dao::failure(text, db);
    return {};
}

Error confirmAll(const Session &session, const QList<ReportKey> &keys, const QString &confirmer,
                 const QString &comment, const QByteArray &seen, const QDateTime &now, const QString &text) {
    if (comment.size() > MaxComment)
        return Error(Error::Code::BadInput,
                     QStringLiteral("コメントは %1 文字までです (いまは %2 文字)。").arg(MaxComment).arg(comment.size()));
    const QDateTime at = now.isValid() ? now : QDateTime::currentDateTime();
    auto db = dao::Database::open(session.dataDbPath);
    if (!db.beginWriteTrans()) return dao::failure(text, db);
    const auto fail = [&db](Error e) {
        db.rollback();
        return e;
    };
    if (Error e = checkConfirmer(db, confirmer, text); !e.ok()) return fail(e);
    if (Error e = dao::ensureTable(db, definition()); !e.ok()) return fail(Error(e.code(), text, e.detail()));
    const QString clean = cleanComment(comment);
    for (const ReportKey &k : keys)
        if (Error e = confirmIn(db, k, confirmer, clean, seen, at, text); !e.ok()) return fail(e);
    if (!db.commitTrans()) return fail(dao::failure(text, db));
    return {};
}

// Whether the table is there; an error when that cannot be told.
std::optional<bool> present(dao::Database &db, const QString &text, Error *error) {
    QString why;
    const std::optional<bool> has = dao::hasTable(db, Table, &why);
    if (!has && error) *error = Error(Error::Code::DatabaseFailed, text, why);
    return has;
}

}  // namespace

const dao::AddedTable &definition() {
    static const dao::AddedTable t{Table,
                                   {{QStringLiteral("確認番号"), Kind::Integer},
                                    {QStringLiteral("日付"), Kind::Date},
                                    {QStringLiteral("顧客名"), Kind::Text},
                                    {QStringLiteral("担当"), Kind::Text},
                                    {QStringLiteral("確認者"), Kind::Text},
                                    {QStringLiteral("確認日時"), Kind::Text},
                                    {QStringLiteral("コメント"), Kind::Text},
                                    {QStringLiteral("指紋"), Kind::Text},
                                    {QStringLiteral("削除番号"), Kind::Integer}},
                                   {{QStringLiteral("日付"), QStringLiteral("顧客名"), QStringLiteral("担当")},
                                    {QStringLiteral("削除番号")}}};
    return t;
}

QByteArray fingerprint(const QString &title, const QString &memo) {
    QCryptographicHash h(QCryptographicHash::Sha1);
    const QByteArray t = dao::wellFormed(title).toUtf8();
    const QByteArray m = dao::wellFormed(memo).toUtf8();
    // The title's length first, so no title and memo pair reads as another.
    h.addData(QByteArray::number(t.size()) + ':');
    h.addData(t);
    h.addData(m);
    return h.result().toHex();
}

QString stateText(ConfirmState state) {
    switch (state) {
    case ConfirmState::Confirmed: return QStringLiteral("確認済");
    case ConfirmState::ChangedSince: return QStringLiteral("確認後に変更");
    case ConfirmState::Unconfirmed: break;
    }
    return QStringLiteral("未確認");
}

QString describe(const ReportConfirmation &c) {
    if (c.state == ConfirmState::Unconfirmed) return stateText(c.state);
    return QStringLiteral("%1  %2  %3").arg(stateText(c.state), c.confirmer, c.at.toString(QStringLiteral("yyyy/MM/dd HH:mm")));
}

Error confirm(const Session &session, const ReportKey &key, const QString &confirmer, const QString &comment,
              const QByteArray &seen, const QDateTime &now) {
    return confirmAll(session, {key}, confirmer, comment, seen, now,
                      QStringLiteral("営業日報を確認済にできませんでした。データは元のままです。"));
}

Error confirmMany(const Session &session, const QList<ReportKey> &keys, const QString &confirmer,
                  const QString &comment, qlonglong *confirmed, const QDateTime &now) {
    if (confirmed) *confirmed = 0;
    const Error e = confirmAll(session, keys, confirmer, comment, {}, now,
                               QStringLiteral("営業日報をまとめて確認済にできませんでした。データは元のままです。"));
    if (e.ok() && confirmed) *confirmed = keys.size();
    return e;
}

ReportConfirmation stateOf(const QString &dataDbPath, const ReportKey &key, Error *error) {
    const QString text = QStringLiteral("営業日報の確認を読めませんでした。");
    ReportConfirmation out;
    if (error) *error = Error();
    auto db = dao::Database::open(dataDbPath);
    const std::optional<bool> has = present(db, text, error);
    if (!has || !*has) return out;
    auto rs = select(db,
                     QStringLiteral("select 確認者, 確認日時, コメント, 指紋 from 日報確認 where 日付 = ? and 顧客名 = ? "
                                    "and 担当 = ? and 削除番号 is null order by 確認番号"),
                     {key.day, key.customer, key.staff});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(text, db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext())
        out.history << Confirmation{textOf(rs.field(QStringLiteral("確認者"))), timeOf(rs.field(QStringLiteral("確認日時"))),
                                    textOf(rs.field(QStringLiteral("コメント"))),
                                    rs.field(QStringLiteral("指紋")).toString().toLatin1()};
    rs.close();
    if (out.history.isEmpty()) return out;
    auto report = select(db, QStringLiteral("select タイトル, メモ from 営業日報 where 日付 = ? and 顧客名 = ? and 担当 = ?"),
                         {key.day, key.customer, key.staff});
    if (!report.isOpen()) {
        if (error) *error = dao::failure(text, db, report);
        return out;
    }
    if (report.eof()) return out;
    const Confirmation &newest = out.history.constLast();
    out.state = stateFor(newest.fingerprint, fingerprint(textOf(report.field(QStringLiteral("タイトル"))),
                                                         textOf(report.field(QStringLiteral("メモ")))));
    out.confirmer = newest.confirmer;
    out.at = newest.at;
    return out;
}

namespace {

// The newest confirmation of each report of a period with its report's
// title and memo: the rows of both tables joined on the key, walked once.
template <typename Visit>
Error walkPeriod(const QString &dataDbPath, const QDate &first, const QDate &last, const QString &staff,
                 const QString &customer, bool withWho, Visit visit) {
    const QString text = QStringLiteral("営業日報の確認を読めませんでした。");
    Error error;
    auto db = dao::Database::open(dataDbPath);
    const std::optional<bool> has = present(db, text, &error);
    if (!has || !*has) return error;
    QString sql = QStringLiteral("select 日報確認.日付 as 日, 日報確認.顧客名 as 顧客, 日報確認.担当 as 担当者, 確認番号, 指紋, "
                                 "タイトル, メモ") +
                  (withWho ? QStringLiteral(", 確認者, 確認日時") : QString()) +
                  QStringLiteral(" from 日報確認, 営業日報 where 日報確認.日付 >= ? and 日報確認.日付 <= ? and "
                                 "日報確認.削除番号 is null and 営業日報.日付 = 日報確認.日付 and "
                                 "営業日報.顧客名 = 日報確認.顧客名 and 営業日報.担当 = 日報確認.担当");
    QVariantList values{first, last};
    andEquals(sql, values, QStringLiteral("日報確認.担当"), staff);
    andEquals(sql, values, QStringLiteral("日報確認.顧客名"), customer);
    auto rs = select(db, sql, values);
    if (!rs.isOpen()) return dao::failure(text, db, rs);
    struct Newest {
        qlonglong number = 0;
        QByteArray stored;
        QString title, memo, confirmer, at;
    };
    QHash<ReportKey, Newest> newest;
    for (; !rs.eof(); rs.moveNext()) {
        ReportKey k{dateOf(rs.field(QStringLiteral("日"))), textOf(rs.field(QStringLiteral("顧客"))),
                    textOf(rs.field(QStringLiteral("担当者")))};
        const qlonglong number = rs.field(QStringLiteral("確認番号")).toLongLong();
        Newest &n = newest[k];
        if (!n.stored.isEmpty() && n.number >= number) continue;
        n.number = number;
        n.stored = rs.field(QStringLiteral("指紋")).toString().toLatin1();
        n.title = textOf(rs.field(QStringLiteral("タイトル")));
        n.memo = textOf(rs.field(QStringLiteral("メモ")));
        if (withWho) {
            n.confirmer = textOf(rs.field(QStringLiteral("確認者")));
            n.at = rs.field(QStringLiteral("確認日時")).toString();
        }
    }
    for (auto it = newest.cbegin(); it != newest.cend(); ++it)
        visit(it.key(), stateFor(it->stored, fingerprint(it->title, it->memo)), it->confirmer, it->at);
    return {};
}

}  // namespace

QHash<ReportKey, ReportConfirmation> statesBetween(const QString &dataDbPath, const QDate &first, const QDate &last,
                                                   const QString &staff, const QString &customer, Error *error) {
    QHash<ReportKey, ReportConfirmation> out;
    const Error e = walkPeriod(dataDbPath, first, last, staff, customer, true,
                               [&out](const ReportKey &k, ConfirmState s, const QString &who, const QString &at) {
                                   ReportConfirmation &c = out[k];
                                   c.state = s;
                                   c.confirmer = who;
                                   c.at = timeOf(at);
                               });
    if (error) *error = e;
    return out;
}

QMap<QDate, DayConfirmation> month(const QString &dataDbPath, const QDate &first, const QDate &last,
                                   const QString &staff, const QString &customer, Error *error) {
    QMap<QDate, DayConfirmation> out;
    if (error) *error = Error();
    {
        QString sql = QStringLiteral("select 日付, count(*) as 件数 from 営業日報 where 日付 >= ? and 日付 <= ?");
        QVariantList values{first, last};
        andEquals(sql, values, QStringLiteral("担当"), staff);
        andEquals(sql, values, QStringLiteral("顧客名"), customer);
        auto db = dao::Database::open(dataDbPath);
        auto rs = select(db, sql + QStringLiteral(" group by 日付"), values);
        if (!rs.isOpen()) {
            if (error) *error = dao::failure(QStringLiteral("営業日報を読めませんでした。"), db, rs);
            return out;
        }
        for (; !rs.eof(); rs.moveNext()) {
            const QDate d = dateOf(rs.field(QStringLiteral("日付")));
            if (d.isValid()) out[d].reports += rs.field(QStringLiteral("件数")).toInt();
        }
    }
    const Error e = walkPeriod(dataDbPath, first, last, staff, customer, false,
                               [&out](const ReportKey &k, ConfirmState s, const QString &, const QString &) {
                                   if (!out.contains(k.day)) return;
                                   DayConfirmation &d = out[k.day];
                                   (s == ConfirmState::Confirmed ? d.confirmed : d.changed) += 1;
                               });
    if (error && !e.ok()) *error = e;
    return out;
}

Error moveIn(dao::Database &db, qlonglong from, qlonglong to, const QString &keyWhere) {
    const QString text = QStringLiteral("営業日報の確認を移せませんでした。データは元のままです。");
    QString why;
    const std::optional<bool> has = dao::hasTable(db, Table, &why);
    if (!has) return Error(Error::Code::DatabaseFailed, text, why);
    if (!*has) return {};
    const QString where = keyWhere.isEmpty() ? QStringLiteral(" where ") + ofDeletion(from)
                                             : keyWhere + QStringLiteral(" and ") + ofDeletion(from);
    const QString target = to == 0 ? QStringLiteral("Null") : QString::number(to);
    if (!db.execute(QStringLiteral("update 日報確認 set 削除番号 = ") + target + where)) return dao::failure(text, db);
    return {};
}

Error purgeIn(dao::Database &db, qlonglong cutoff) {
    const QString text = QStringLiteral("古い削除の控えを消せませんでした。");
    QString why;
    const std::optional<bool> has = dao::hasTable(db, Table, &why);
    if (!has) return Error(Error::Code::DatabaseFailed, text, why);
    if (!*has) return {};
    if (!db.execute(QStringLiteral("delete * from 日報確認 where 削除番号 < ") + QString::number(cutoff)))
        return dao::failure(text, db);
    return {};
}

QString confirmer() {
    return profile::PrivateProfile(kConfigFile).readString(kConfigSection, kConfigKey, QString());
}

Error setConfirmer(const QString &name) {
    if (!profile::PrivateProfile(kConfigFile).writeString(kConfigSection, kConfigKey, name))
        return Error(Error::Code::FileFailed, QStringLiteral("確認者を設定ファイルに書けませんでした。"),
                     profile::PrivateProfile(kConfigFile).filePath());
    return {};
}

}  // namespace tqen::model::Confirmations
