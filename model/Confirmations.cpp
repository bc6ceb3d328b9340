#include "model/Confirmations.h"

#include "model/CodeTable.h"
#include "model/Values.h"
#include "platform/dao/Dao.h"
#include "platform/profile/PrivateProfile.h"

#include <QCryptographicHash>
#include <algorithm>
#include <tuple>
#include <QRandomGenerator>
#include <QSet>

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

// The kept marker (column 変更) of a confirmation row: whether the report
// changed since that confirmation, so that many reports' states read from
// the confirmations alone, without their texts. Triggers on 営業日報, in
// plain SQL, keep it for every writer of the data (this program, an older
// one, the sqlite3 tool):
//   0  the report is as confirmed;
//   1  changed since: its title or memo was edited, it was moved to this
//      key from another, or a report was written anew on this key;
//   +2 (2, 3) the report left the key (deleted, or moved to another key);
//      the confirmations of a deletion that is put back lose the 2 again,
//      since the report comes back as it was deleted;
//   Null: not known (a row written by a program from before the marker, or
//      copied from a file without it): read by the fingerprint.
// An edit that brings the text back to the confirmed one stays 1: the
// marker is on the safe side; the one report's own view (stateOf) compares
// the fingerprints and reads it confirmed.
constexpr int kUnchanged = 0, kChanged = 1, kGone = 2;

const QStringList kFileTriggers{QStringLiteral("日報確認_変更_追加"), QStringLiteral("日報確認_変更_更新"),
                                QStringLiteral("日報確認_変更_削除")};
const QString kServerTrigger = QStringLiteral("日報確認_変更");

// Plain SQL pieces of the triggers: the live confirmations of a key.
const QString kLiveOfNew = QStringLiteral("削除番号 IS NULL AND 日付 = new.日付 AND 顧客名 = new.顧客名 AND 担当 = new.担当");
const QString kLiveOfOld = QStringLiteral("削除番号 IS NULL AND 日付 = old.日付 AND 顧客名 = old.顧客名 AND 担当 = old.担当");

QStringList fileTriggers() {
    const QString keyMoved =
        QStringLiteral("(old.日付 IS NOT new.日付 OR old.顧客名 IS NOT new.顧客名 OR old.担当 IS NOT new.担当)");
    const QString flagNew = QStringLiteral("  UPDATE 日報確認 SET 変更 = 1 WHERE ") + kLiveOfNew + QStringLiteral(" AND 変更 IS NOT 1;\n");
    const QString leaveOld =
        QStringLiteral("  UPDATE 日報確認 SET 変更 = 変更 + 2 WHERE ") + kLiveOfOld + QStringLiteral(" AND 変更 IN (0, 1)");
    return {QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON 営業日報 BEGIN\n%2END").arg(kFileTriggers[0], flagNew),
            QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON 営業日報\n"
                           "WHEN %2 OR coalesce(old.タイトル, '') IS NOT coalesce(new.タイトル, '') "
                           "OR coalesce(old.メモ, '') IS NOT coalesce(new.メモ, '')\nBEGIN\n%3 AND %2;\n%4END")
                .arg(kFileTriggers[1], keyMoved, leaveOld, flagNew),
            QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON 営業日報 BEGIN\n%2;\nEND").arg(kFileTriggers[2], leaveOld)};
}

QStringList serverTriggers() {
    return {QStringLiteral(
                "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SET search_path FROM CURRENT AS $$\n"
                "BEGIN\n"
                "  IF TG_OP = 'DELETE' THEN\n"
                "    UPDATE 日報確認 SET 変更 = 変更 + 2 WHERE %2 AND 変更 IN (0, 1);\n"
                "    RETURN NULL;\n"
                "  END IF;\n"
                "  IF TG_OP = 'UPDATE' THEN\n"
                "    IF old.日付 IS NOT DISTINCT FROM new.日付 AND old.顧客名 IS NOT DISTINCT FROM new.顧客名\n"
                "       AND old.担当 IS NOT DISTINCT FROM new.担当 THEN\n"
                "      IF coalesce(old.タイトル, '') = coalesce(new.タイトル, '') AND coalesce(old.メモ, '') = coalesce(new.メモ, '') THEN\n"
                "        RETURN NULL;\n"
                "      END IF;\n"
                "    ELSE\n"
                "      UPDATE 日報確認 SET 変更 = 変更 + 2 WHERE %2 AND 変更 IN (0, 1);\n"
                "    END IF;\n"
                "  END IF;\n"
                "  UPDATE 日報確認 SET 変更 = 1 WHERE %3 AND 変更 IS DISTINCT FROM 1;\n"
                "  RETURN NULL;\n"
                "END $$")
                .arg(kServerTrigger, kLiveOfOld, kLiveOfNew),
            QStringLiteral("DROP TRIGGER IF EXISTS %1 ON 営業日報").arg(kServerTrigger),
            QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON 営業日報 FOR EACH ROW EXECUTE FUNCTION %1()")
                .arg(kServerTrigger)};
}

// What the database holds of the confirmations: the table, its marker
// column, the triggers that keep the marker.
struct Kept {
    bool table = false, column = false, triggers = false;
    bool marker() const { return table && column && triggers; }
};

std::optional<Kept> probe(dao::Database &db, QString *why) {
    const auto counts = dao::queryNative(
        db,
        QStringLiteral("SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '日報確認'), "
                       "(SELECT count(*) FROM pragma_table_info('日報確認') WHERE name = '変更'), "
                       "(SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = '営業日報' AND name IN "
                       "('%1', '%2', '%3'))")
            .arg(kFileTriggers[0], kFileTriggers[1], kFileTriggers[2]),
        QStringLiteral("SELECT (SELECT count(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename = '日報確認'), "
                       "(SELECT count(*) FROM information_schema.columns WHERE table_schema = current_schema() "
                       "AND table_name = '日報確認' AND column_name = '変更'), "
                       "(SELECT count(*) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
                       "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                       "AND c.relname = '営業日報' AND t.tgname = '%1') * 3")
            .arg(kServerTrigger),
        why);
    if (!counts || counts->size() < 3) return std::nullopt;
    return Kept{counts->at(0) > 0, counts->at(1) > 0, counts->at(2) == 3};
}

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

// Sets the marker of the live confirmations whose marker is not known
// (Null) from their fingerprints: 0 where the report is as confirmed, 1
// where it differs, 2 where no report has the key. Rows are named by their
// number, many to a statement; the rare number that two rows share is
// written by its key as well.
Error fillMarkers(dao::Database &db) {
    const QString text = QStringLiteral("営業日報の確認の状態を記録できませんでした。");
    QSet<qlonglong> shared;
    {
        auto rs = db.openRecordset(QStringLiteral("select 確認番号 from 日報確認 where 削除番号 is null and 変更 is null "
                                                  "group by 確認番号 having count(*) > 1"));
        if (!rs.isOpen()) return dao::failure(text, db, rs);
        for (; !rs.eof(); rs.moveNext()) shared.insert(rs.field(QStringLiteral("確認番号")).toLongLong());
    }
    auto rs = db.openRecordset(QStringLiteral(
        "select 確認番号, 指紋, 日報確認.日付 as 日, 日報確認.顧客名 as 顧客, 日報確認.担当 as 担当者, タイトル, メモ "
        "from 日報確認, 営業日報 where 日報確認.削除番号 is null and 日報確認.変更 is null and "
        "営業日報.日付 = 日報確認.日付 and 営業日報.顧客名 = 日報確認.顧客名 and 営業日報.担当 = 日報確認.担当"));
    if (!rs.isOpen()) return dao::failure(text, db, rs);
    // A number is 0 only when every report of its key (a file may hold
    // one twice) is as it was confirmed.
    struct Row {
        QDate day;
        bool same = true;
    };
    QHash<qlonglong, Row> numbered;
    struct Keyed {
        ReportKey key;
        QString print;
        bool same;
    };
    QList<Keyed> keyed;
    for (; !rs.eof(); rs.moveNext()) {
        const qlonglong number = rs.field(QStringLiteral("確認番号")).toLongLong();
        const QString print = rs.field(QStringLiteral("指紋")).toString();
        const ReportKey key{dateOf(rs.field(QStringLiteral("日"))), textOf(rs.field(QStringLiteral("顧客"))),
                            textOf(rs.field(QStringLiteral("担当者")))};
        const bool equal = print.toLatin1() == fingerprint(textOf(rs.field(QStringLiteral("タイトル"))),
                                                             textOf(rs.field(QStringLiteral("メモ"))));
        if (shared.contains(number)) {
            keyed.append({key, print, equal});
        } else {
            Row &r = numbered[number];
            r.day = key.day;
            r.same = r.same && equal;
        }
    }
    rs.close();
    // Per day and value one statement: the index finds the day's rows.
    QMap<std::pair<QDate, int>, QStringList> byDay;
    for (auto it = numbered.cbegin(); it != numbered.cend(); ++it)
        byDay[{it->day, it->same ? kUnchanged : kChanged}] << QString::number(it.key());
    for (auto it = byDay.cbegin(); it != byDay.cend(); ++it)
        if (!run(db,
                 QStringLiteral("update 日報確認 set 変更 = %1 where 削除番号 is null and 日付 = ? and 変更 is null and "
                                "確認番号 in (%2)")
                     .arg(it.key().second)
                     .arg(it.value().join(u',')),
                 {it.key().first}))
            return dao::failure(text, db);
    // Shared numbers, by key and fingerprint: changed first, so that a key
    // with any differing report stays changed.
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &x, const Keyed &y) { return !x.same && y.same; });
    for (const Keyed &k : std::as_const(keyed))
        if (!run(db,
                 QStringLiteral("update 日報確認 set 変更 = ? where 削除番号 is null and 変更 is null and 日付 = ? and "
                                "顧客名 = ? and 担当 = ? and 指紋 = ?"),
                 {k.same ? kUnchanged : kChanged, k.key.day, k.key.customer, k.key.staff, k.print}))
            return dao::failure(text, db);
    // What is left has no report.
    if (!db.execute(QStringLiteral("update 日報確認 set 変更 = 2 where 削除番号 is null and 変更 is null")))
        return dao::failure(text, db);
    return {};
}

// Inside the caller's write transaction: makes the table when `make` (else
// a database without it is left so), gives a table from before the marker
// its column and index, and a database without the triggers the triggers,
// then fills the marker of every live confirmation from its fingerprint (a
// marker kept while no trigger watched the reports cannot be trusted).
Error keepMarkerIn(dao::Database &db, bool make) {
    const QString text = QStringLiteral("営業日報の確認の状態を記録できませんでした。");
    QString why;
    std::optional<Kept> kept = probe(db, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, text, why);
    if (kept->marker() || (!kept->table && !make)) return {};
    // Two programs meeting it missing on a server make it once: under the
    // lock the added tables are made under, then asked again.
    if (Error e = dao::executeNative(db, {}, {QStringLiteral("SELECT pg_advisory_xact_lock(7401, 1)")}); !e.ok()) return e;
    kept = probe(db, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, text, why);
    if (kept->marker()) return {};
    if (!kept->table) {
        if (Error e = dao::ensureTable(db, definition()); !e.ok()) return e;
    } else if (!kept->column) {
        // The one index of the table gains the marker's columns, so that a
        // period's states read from it alone.
        const QString column = QStringLiteral("ALTER TABLE 日報確認 ADD COLUMN 変更 ");
        const QString index = QStringLiteral("CREATE INDEX \"日報確認_1\" ON 日報確認 (削除番号, 日付, 顧客名, 担当, 確認番号, 変更)");
        const QString drop = QStringLiteral("DROP INDEX IF EXISTS \"日報確認_1\"");
        if (Error e = dao::executeNative(db, {column + QStringLiteral("INTEGER"), drop, index},
                                         {column + QStringLiteral("bigint"), drop, index});
            !e.ok())
            return e;
    }
    if (!kept->triggers) {
        if (Error e = dao::executeNative(db, fileTriggers(), serverTriggers()); !e.ok()) return e;
        if (!db.execute(QStringLiteral("update 日報確認 set 変更 = Null where 削除番号 is null")))
            return dao::failure(text, db);
    }
    return fillMarkers(db);
}

// Writes one confirmation of the report that `key` names inside the
// caller's transaction, after reading the report as stored.
Error confirmIn(dao::Database &db, const ReportKey &key, const QString &confirmer, const QString &comment,
                const QByteArray &seen, const QDateTime &at, const QString &text) {
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
    if (!run(db,
             QStringLiteral("insert into 日報確認 (確認番号, 日付, 顧客名, 担当, 確認者, 確認日時, コメント, 指紋, 変更) "
                            "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {number, key.day, key.customer, key.staff, confirmer, at.toString(kStamp),
              comment.isEmpty() ? QVariant() : QVariant(comment), QString::fromLatin1(seen.isEmpty() ? stored : seen),
              seen.isEmpty() || seen == stored ? kUnchanged : kChanged}))
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
    if (Error e = keepMarkerIn(db, true); !e.ok()) return fail(Error(e.code(), text, e.detail()));
    const QString clean = cleanComment(comment);
    // Rows are held in one order, so two confirmations of many reports at
    // once on a server never wait for each other in a circle.
    QList<ReportKey> ordered = keys;
    std::sort(ordered.begin(), ordered.end(), [](const ReportKey &x, const ReportKey &y) {
        return std::tie(x.day, x.customer, x.staff) < std::tie(y.day, y.customer, y.staff);
    });
    for (const ReportKey &k : std::as_const(ordered))
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

// The state of a report whose newest confirmation (number `number`) has no
// known marker: by the fingerprint. Unconfirmed when the report is gone.
ConfirmState stateByFingerprint(dao::Database &db, const ReportKey &k, qlonglong number, Error *error) {
    const QVariantList key{k.day, k.customer, k.staff};
    auto stored = select(db,
                         QStringLiteral("select 指紋 from 日報確認 where 削除番号 is null and 日付 = ? and 顧客名 = ? and 担当 = ? "
                                        "and 確認番号 = ?"),
                         key + QVariantList{number});
    auto report = select(db, QStringLiteral("select タイトル, メモ from 営業日報 where 日付 = ? and 顧客名 = ? and 担当 = ?"), key);
    if (!stored.isOpen() || !report.isOpen()) {
        *error = dao::failure(kReadText, db, stored.isOpen() ? report : stored);
        return ConfirmState::Unconfirmed;
    }
    if (stored.eof() || report.eof()) return ConfirmState::Unconfirmed;
    return stateFor(stored.field(QStringLiteral("指紋")).toString().toLatin1(),
                    fingerprint(textOf(report.field(QStringLiteral("タイトル"))), textOf(report.field(QStringLiteral("メモ")))));
}

// Runs a step in a write transaction of its own: true when it was written.
template <typename Step>
bool inWriteTrans(dao::Database &db, Step step) {
    if (!db.beginWriteTrans()) return false;
    if (step().ok() && db.commitTrans()) return true;
    db.rollback();
    return false;
}

// The newest confirmation of each report of a period and the state it
// gives: from the confirmations alone, by their kept marker (a database
// without it gets it here, once); a report whose confirmation carries no
// known marker, and a database that cannot be given it, by the
// fingerprints. Reports that are gone are left out. `withWho` reads the
// confirmer and time too (from the rows; the rest comes from the index).
template <typename Visit>
Error walkPeriod(dao::Database &db, const QDate &first, const QDate &last, const QString &staff,
                 const QString &customer, bool withWho, Visit visit) {
    QString why;
    std::optional<Kept> kept = probe(db, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, kReadText, why);
    if (!kept->table) return {};
    // The first read gives the database its marker; one that cannot take it
    // (read-only, busy) is read by the fingerprints.
    if (!kept->marker() && !inWriteTrans(db, [&db] { return keepMarkerIn(db, false); }))
        return walkByFingerprint(db, first, last, staff, customer, withWho, visit);
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
    Error error;
    for (auto it = newest.cbegin(); it != newest.cend(); ++it) {
        ConfirmState state;
        if (it->marker.isNull()) {
            state = stateByFingerprint(db, it.key(), it->number, &error);
            if (!error.ok()) return error;
            if (state == ConfirmState::Unconfirmed) continue;
        } else {
            const qlonglong m = it->marker.toLongLong();
            if (m >= kGone) continue;
            state = m == kUnchanged ? ConfirmState::Confirmed : ConfirmState::ChangedSince;
        }
        visit(it.key(), state, it->confirmer, it->at);
    }
    return {};
}

// How many reports of a period read confirmed and changed since by their
// newest confirmation, per day (and staff member when `byStaff`), counted
// by the engine from the marker and the index alone: visit(day, staff,
// state, count). Rows whose marker is not known are filled once when the
// database can be written, else told one by one by their fingerprints.
template <typename Visit>
Error tallyPeriod(dao::Database &db, const QDate &first, const QDate &last, const QString &staff,
                  const QString &customer, bool byStaff, Visit visit) {
    QString why;
    std::optional<Kept> kept = probe(db, &why);
    if (!kept) return Error(Error::Code::DatabaseFailed, kReadText, why);
    if (!kept->table) return {};
    const auto one = [&visit](const ReportKey &k, ConfirmState s, const QString &, const QString &) {
        visit(k.day, k.staff, s, 1);
    };
    if (!kept->marker() && !inWriteTrans(db, [&db] { return keepMarkerIn(db, false); }))
        return walkByFingerprint(db, first, last, staff, customer, false, one);
    // The newest live confirmation of a report: no later one on its key.
    QString where = QStringLiteral(
        " from 日報確認 as c where c.削除番号 is null and c.日付 >= ? and c.日付 <= ? and not exists (select 確認番号 from "
        "日報確認 as n where n.削除番号 is null and n.日付 = c.日付 and n.顧客名 = c.顧客名 and n.担当 = c.担当 and "
        "n.確認番号 > c.確認番号)");
    QVariantList values{first, last};
    andEquals(where, values, QStringLiteral("c.担当"), staff);
    andEquals(where, values, QStringLiteral("c.顧客名"), customer);
    struct Row {
        QDate day;
        QString staff;
        QVariant marker;
        int count = 0;
    };
    QList<Row> rows;
    bool unknown = false;
    const auto count = [&]() -> Error {
        rows.clear();
        unknown = false;
        const QString by = byStaff ? QStringLiteral("c.日付, c.担当, c.変更") : QStringLiteral("c.日付, c.変更");
        auto rs = select(db, QStringLiteral("select ") + by + QStringLiteral(", count(*) as 件数") + where +
                                 QStringLiteral(" group by ") + by, values);
        if (!rs.isOpen()) return dao::failure(kReadText, db, rs);
        for (; !rs.eof(); rs.moveNext()) {
            Row r{dateOf(rs.field(QStringLiteral("日付"))), byStaff ? textOf(rs.field(QStringLiteral("担当"))) : QString(),
                  rs.field(QStringLiteral("変更")), rs.field(QStringLiteral("件数")).toInt()};
            unknown = unknown || r.marker.isNull();
            rows.append(r);
        }
        return {};
    };
    if (Error e = count(); !e.ok()) return e;
    if (unknown && inWriteTrans(db, [&db] { return fillMarkers(db); }))
        if (Error e = count(); !e.ok()) return e;
    for (const Row &r : std::as_const(rows)) {
        if (r.marker.isNull()) continue;
        const qlonglong m = r.marker.toLongLong();
        if (m < kGone) visit(r.day, r.staff, m == kUnchanged ? ConfirmState::Confirmed : ConfirmState::ChangedSince, r.count);
    }
    if (!unknown) return {};
    auto rs = select(db, QStringLiteral("select c.日付, c.顧客名, c.担当, c.確認番号") + where +
                             QStringLiteral(" and c.変更 is null"), values);
    if (!rs.isOpen()) return dao::failure(kReadText, db, rs);
    QList<std::pair<ReportKey, qlonglong>> keys;
    for (; !rs.eof(); rs.moveNext())
        keys.append({{dateOf(rs.field(QStringLiteral("日付"))), textOf(rs.field(QStringLiteral("顧客名"))),
                      textOf(rs.field(QStringLiteral("担当")))},
                     rs.field(QStringLiteral("確認番号")).toLongLong()});
    rs.close();
    Error error;
    for (const auto &[k, number] : std::as_const(keys)) {
        const ConfirmState state = stateByFingerprint(db, k, number, &error);
        if (!error.ok()) return error;
        if (state != ConfirmState::Unconfirmed) visit(k.day, k.staff, state, 1);
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
    const Error e = tallyPeriod(db, first, last, staff, customer, false,
                                [&out](const QDate &d, const QString &, ConfirmState s, int n) {
                                    const auto day = out.find(d);
                                    if (day == out.end()) return;
                                    (s == ConfirmState::Confirmed ? day->confirmed : day->changed) += n;
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
