#include "model/Confirmations.h"

#include "model/ConfirmationMarker.h"

#include "model/CodeTable.h"
#include "model/Values.h"
#include "platform/dao/Dao.h"
#include "platform/profile/PrivateProfile.h"

#include "platform/dao/Server.h"
#include "platform/files/Files.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tqen::model::Confirmations {

const QString Table = QStringLiteral("日報確認");

using namespace detail;

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
// A table from before the marker (`withMarker` false) gets the row without
// it, as a program from before it would write it.
Error confirmIn(dao::Database &db, const ReportKey &key, const QString &confirmer, const QString &comment,
                const QByteArray &seen, const QDateTime &at, bool withMarker, const QString &text) {
    // The report's row is held until the confirmation is written: an edit on
    // another PC waits for it and then marks it changed, or went first and
    // is what is read here (on a file the write lock does the same).
    if (!run(db, QStringLiteral("update 営業日報 set 日付 = 日付 where 日付 = ? and 顧客名 = ? and 担当 = ?"),
             {key.day, key.customer, key.staff}))
        return dao::failure(text, db);
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
    QVariantList values{number, key.day, key.customer, key.staff, confirmer, at.toString(kStamp),
                        comment.isEmpty() ? QVariant() : QVariant(comment),
                        QString::fromLatin1(seen.isEmpty() ? stored : seen)};
    QString columns = QStringLiteral("確認番号, 日付, 顧客名, 担当, 確認者, 確認日時, コメント, 指紋");
    if (withMarker) {
        columns += QStringLiteral(", 変更");
        values << (seen.isEmpty() || seen == stored ? kUnchanged : kChanged);
    }
    QStringList marks(values.size(), QStringLiteral("?"));
    if (!run(db, QStringLiteral("insert into 日報確認 (%1) values (%2)").arg(columns, marks.join(QStringLiteral(", "))), values))
        return dao::failure(text, db);
    return {};
}

Error confirmAll(const Session &session, const QList<ReportKey> &keys, const QString &confirmer,
                 const QString &comment, const QByteArray &seen, const QDateTime &now, const QString &text) {
    if (Error e = checkComment(comment); !e.ok()) return e;
    const QDateTime at = now.isValid() ? now : QDateTime::currentDateTime();
    auto db = dao::Database::open(session.dataDbPath);
    if (!db.beginWriteTrans()) return dao::failure(text, db);
    const auto fail = [&db](Error e) {
        db.rollback();
        return e;
    };
    if (Error e = checkConfirmer(db, confirmer, text); !e.ok()) return fail(e);
    Kept kept;
    if (Error e = makeTableIn(db, &kept); !e.ok()) return fail(Error(e.code(), text, e.detail()));
    const QString clean = cleanComment(comment);
    // Rows are held in one order, so two confirmations of many reports at
    // once on a server never wait for each other in a circle.
    QList<ReportKey> ordered = keys;
    std::sort(ordered.begin(), ordered.end(), [](const ReportKey &x, const ReportKey &y) {
        return std::tie(x.day, x.customer, x.staff) < std::tie(y.day, y.customer, y.staff);
    });
    for (const ReportKey &k : std::as_const(ordered))
        if (Error e = confirmIn(db, k, confirmer, clean, seen, at, kept.column, text); !e.ok()) return fail(e);
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

Error checkComment(const QString &comment) {
    if (comment.size() > MaxComment)
        return Error(Error::Code::BadInput,
                     QStringLiteral("コメントは %1 文字までです (いまは %2 文字)。").arg(MaxComment).arg(comment.size()));
    return {};
}

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
                                    {QStringLiteral("削除番号"), Kind::Integer},
                                    {QStringLiteral("変更"), Kind::Integer}},
                                   // One index serves the live rows of a report or of a
                                   // period (削除番号 Null first) and the rows of a
                                   // deletion; it holds number and marker too, so a
                                   // period's states read from the index alone.
                                   {{QStringLiteral("削除番号"), QStringLiteral("日付"), QStringLiteral("顧客名"),
                                     QStringLiteral("担当"), QStringLiteral("確認番号"), QStringLiteral("変更")}}};
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

const QString kReadText = QStringLiteral("営業日報の確認を読めませんでした。");

// The newest confirmation of each report of a period with its report's
// title and memo, each told by its fingerprint: the rows of both tables
// joined on the key, walked once. For a database whose marker is not kept
// and cannot be made so (a file opened read-only).
template <typename Visit>
Error walkByFingerprint(dao::Database &db, const QDate &first, const QDate &last, const QString &staff,
                        const QString &customer, bool withWho, Visit visit) {
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
    if (!rs.isOpen()) return dao::failure(kReadText, db, rs);
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

// The newest confirmation of each report of a period and the state it
// gives: from the confirmations alone, by their kept marker; a period with
// a confirmation whose marker is not known, and a database without the
// marker, by the fingerprints (the marker is then filled behind the
// screen). Reports that are gone are left out. `withWho` reads the
// confirmer and time too (from the rows; the rest comes from the index).
template <typename Visit>
Error walkPeriod(dao::Database &db, const QDate &first, const QDate &last, const QString &staff,
                 const QString &customer, bool withWho, Visit visit) {
    QString why;
    std::optional<Kept> kept = probe(db, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, kReadText, why);
    if (!kept->table) return {};
    if (!kept->marker()) {
        fillBehind(db, first, last);
        return walkByFingerprint(db, first, last, staff, customer, withWho, visit);
    }
    QString sql = QStringLiteral("select 日付, 顧客名, 担当, 確認番号, 変更") +
                  (withWho ? QStringLiteral(", 確認者, 確認日時") : QString()) +
                  QStringLiteral(" from 日報確認 where 削除番号 is null and 日付 >= ? and 日付 <= ?");
    QVariantList values{first, last};
    andEquals(sql, values, QStringLiteral("担当"), staff);
    andEquals(sql, values, QStringLiteral("顧客名"), customer);
    auto rs = select(db, sql, values);
    if (!rs.isOpen()) return dao::failure(kReadText, db, rs);
    struct Newest {
        qlonglong number = -1;
        QVariant marker;
        QString confirmer, at;
    };
    QHash<ReportKey, Newest> newest;
    for (; !rs.eof(); rs.moveNext()) {
        const qlonglong number = rs.field(QStringLiteral("確認番号")).toLongLong();
        Newest &n = newest[ReportKey{dateOf(rs.field(QStringLiteral("日付"))), textOf(rs.field(QStringLiteral("顧客名"))),
                                     textOf(rs.field(QStringLiteral("担当")))}];
        if (n.number >= number) continue;
        n.number = number;
        n.marker = rs.field(QStringLiteral("変更"));
        if (withWho) {
            n.confirmer = textOf(rs.field(QStringLiteral("確認者")));
            n.at = rs.field(QStringLiteral("確認日時")).toString();
        }
    }
    rs.close();
    for (const Newest &n : std::as_const(newest))
        if (n.marker.isNull()) {
            fillBehind(db, first, last);
            return walkByFingerprint(db, first, last, staff, customer, withWho, visit);
        }
    for (auto it = newest.cbegin(); it != newest.cend(); ++it) {
        const qlonglong m = it->marker.toLongLong();
        if (m < kGone)
            visit(it.key(), m == kUnchanged ? ConfirmState::Confirmed : ConfirmState::ChangedSince, it->confirmer, it->at);
    }
    return {};
}

// How many reports of a period read confirmed and changed since by their
// newest confirmation, per day (and staff member when `byStaff`), counted
// by the engine from the marker and the index alone: visit(day, staff,
// state, count). Confirmations whose marker is not known yet are filled
// behind the screen, this period first; meanwhile they are told by their
// fingerprints, report by report, unless `unknown` is given: then they are
// only counted, unknown(day, count), which takes no longer than the known
// ones (the fingerprints of a month of a large book take a tenth of a
// second and more). A database whose fill cannot run (a file opened
// read-only) is told by the fingerprints throughout.
template <typename Visit, typename Unknown = std::nullptr_t>
Error tallyPeriod(dao::Database &db, const QDate &first, const QDate &last, const QString &staff,
                  const QString &customer, bool byStaff, Visit visit, Unknown unknown = nullptr) {
    constexpr bool counted = !std::is_same_v<Unknown, std::nullptr_t>;
    QString why;
    std::optional<Kept> kept = probe(db, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, kReadText, why);
    if (!kept->table) return {};
    const auto byFingerprint = [&] {
        return walkByFingerprint(db, first, last, staff, customer, false,
                                 [&visit](const ReportKey &k, ConfirmState s, const QString &, const QString &) {
                                     visit(k.day, k.staff, s, 1);
                                 });
    };
    if (!kept->marker()) {
        if (!fillBehind(db, first, last) || !counted) return byFingerprint();
        if constexpr (counted) {
            // Not one marker known yet: the period's live confirmations.
            QString sql = QStringLiteral("select 日付, count(*) as 件数 from 日報確認 where 削除番号 is null and 日付 >= ? and 日付 <= ?");
            QVariantList values{first, last};
            andEquals(sql, values, QStringLiteral("担当"), staff);
            andEquals(sql, values, QStringLiteral("顧客名"), customer);
            auto rs = select(db, sql + QStringLiteral(" group by 日付"), values);
            if (!rs.isOpen()) return dao::failure(kReadText, db, rs);
            for (; !rs.eof(); rs.moveNext())
                unknown(dateOf(rs.field(QStringLiteral("日付"))), rs.field(QStringLiteral("件数")).toInt());
        }
        return {};
    }
    // The newest live confirmation of a report: no later one on its key.
    QString sql = QStringLiteral(
        " from 日報確認 as c where c.削除番号 is null and c.日付 >= ? and c.日付 <= ? and not exists (select 確認番号 from "
        "日報確認 as n where n.削除番号 is null and n.日付 = c.日付 and n.顧客名 = c.顧客名 and n.担当 = c.担当 and "
        "n.確認番号 > c.確認番号)");
    QVariantList values{first, last};
    andEquals(sql, values, QStringLiteral("c.担当"), staff);
    andEquals(sql, values, QStringLiteral("c.顧客名"), customer);
    const QString by = byStaff ? QStringLiteral("c.日付, c.担当, c.変更") : QStringLiteral("c.日付, c.変更");
    auto rs = select(db, QStringLiteral("select ") + by + QStringLiteral(", count(*) as 件数") + sql +
                             QStringLiteral(" group by ") + by, values);
    if (!rs.isOpen()) return dao::failure(kReadText, db, rs);
    struct Row {
        QDate day;
        QString staff;
        QVariant marker;
        int count = 0;
    };
    QList<Row> rows;
    bool anyUnknown = false;
    for (; !rs.eof(); rs.moveNext()) {
        rows.append({dateOf(rs.field(QStringLiteral("日付"))), byStaff ? textOf(rs.field(QStringLiteral("担当"))) : QString(),
                     rs.field(QStringLiteral("変更")), rs.field(QStringLiteral("件数")).toInt()});
        anyUnknown = anyUnknown || rows.constLast().marker.isNull();
    }
    rs.close();
    if (anyUnknown && (!fillBehind(db, first, last) || !counted)) return byFingerprint();
    for (const Row &r : std::as_const(rows)) {
        if (r.marker.isNull()) {
            if constexpr (counted) unknown(r.day, r.count);
            continue;
        }
        const qlonglong m = r.marker.toLongLong();
        if (m < kGone)
            visit(r.day, r.staff, m == kUnchanged ? ConfirmState::Confirmed : ConfirmState::ChangedSince, r.count);
    }
    return {};
}

}  // namespace

QHash<ReportKey, ReportConfirmation> statesBetween(const QString &dataDbPath, const QDate &first, const QDate &last,
                                                   const QString &staff, const QString &customer, Error *error) {
    QHash<ReportKey, ReportConfirmation> out;
    auto db = dao::Database::open(dataDbPath);
    const Error e = walkPeriod(db, first, last, staff, customer, true,
                               [&out](const ReportKey &k, ConfirmState s, const QString &who, const QString &at) {
                                   ReportConfirmation &c = out[k];
                                   c.state = s;
                                   c.confirmer = who;
                                   c.at = timeOf(at);
                               });
    if (error) *error = e;
    if (!e.ok()) out.clear();
    return out;
}

QHash<QString, QHash<QDate, int>> confirmedPerStaff(const QString &dataDbPath, const QDate &first, const QDate &last,
                                                     Error *error) {
    QHash<QString, QHash<QDate, int>> out;
    auto db = dao::Database::open(dataDbPath);
    const Error e = tallyPeriod(db, first, last, {}, {}, true,
                                [&out](const QDate &day, const QString &staff, ConfirmState s, int n) {
                                    if (s == ConfirmState::Confirmed) out[staff][day] += n;
                                });
    if (error) *error = e;
    if (!e.ok()) out.clear();
    return out;
}

QSet<QDate> confirmedDays(const QString &dataDbPath, const QDate &first, const QDate &last, const QString &staff,
                          const QString &customer, bool *pending) {
    QSet<QDate> out;
    *pending = false;
    const QMap<QDate, DayConfirmation> days = month(dataDbPath, first, last, staff, customer);
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        if (it->allConfirmed()) out.insert(it.key());
        *pending = *pending || it->unknown > 0;
    }
    return out;
}

QMap<QDate, DayConfirmation> month(const QString &dataDbPath, const QDate &first, const QDate &last,
                                   const QString &staff, const QString &customer, Error *error) {
    QMap<QDate, DayConfirmation> out;
    if (error) *error = Error();
    auto db = dao::Database::open(dataDbPath);
    {
        QString sql = QStringLiteral("select 日付, count(*) as 件数 from 営業日報 where 日付 >= ? and 日付 <= ?");
        QVariantList values{first, last};
        andEquals(sql, values, QStringLiteral("担当"), staff);
        andEquals(sql, values, QStringLiteral("顧客名"), customer);
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
    const Error e = tallyPeriod(
        db, first, last, staff, customer, false,
        [&out](const QDate &d, const QString &, ConfirmState s, int n) {
            const auto day = out.find(d);
            if (day == out.end()) return;
            (s == ConfirmState::Confirmed ? day->confirmed : day->changed) += n;
        },
        [&out](const QDate &d, int n) {
            const auto day = out.find(d);
            if (day != out.end()) day->unknown += n;
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
    // Put back, a report is as it was deleted: its confirmations lose the
    // mark of its leaving (a marker of before the deletion stays).
    if (to == 0) {
        const std::optional<Kept> kept = probe(db, &why);
        if (!kept) return Error(Error::Code::DatabaseFailed, text, why);
        if (kept->column && !db.execute(QStringLiteral("update 日報確認 set 変更 = 変更 - 2") + where +
                                        QStringLiteral(" and 変更 >= 2")))
            return dao::failure(text, db);
    }
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
