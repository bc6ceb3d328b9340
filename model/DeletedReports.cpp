#include "model/DeletedReports.h"

#include "model/Confirmations.h"
#include "model/NextSteps.h"
#include "platform/dao/Dao.h"

#include <QRandomGenerator>
#include <QTimeZone>

namespace tqen::model {

const QString DeletedReports::Table = QStringLiteral("削除済み営業日報");

namespace {

using Kind = dao::AddedColumn::Kind;

const QString kReportFields = QStringLiteral("日付, 顧客名, ふりがな, タイトル, 担当, メモ");
const QString kStamp = QStringLiteral("yyyy/MM/dd HH:mm:ss");
// The deletion number is the time of the deletion in milliseconds, times a
// thousand, plus a random part: numbers of two deletions at once differ, and
// they sort by time.
constexpr qlonglong kIdScale = 1000;

QString keyWhere(const ReportKey &k) {
    return QStringLiteral(" where 顧客名 = ") + dao::sqlText(k.customer) + QStringLiteral(" and 担当 = ") +
           dao::sqlText(k.staff) + QStringLiteral(" and 日付 = ") + dao::sqlDate(k.day);
}

QDate dayOf(const QVariant &v) {
    if (v.metaType().id() == QMetaType::QDate) return v.toDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

// Runs statements in order; the first failure is the error.
Error run(dao::Database &db, const QString &text, const QString &sql, qlonglong *affected = nullptr) {
    if (!db.execute(sql)) return dao::failure(text, db);
    if (affected) *affected += db.recordsAffected();
    return {};
}

}  // namespace

const dao::AddedTable &DeletedReports::definition() {
    static const dao::AddedTable t{Table,
                                   {{QStringLiteral("削除番号"), Kind::Integer},
                                    {QStringLiteral("削除日時"), Kind::Text},
                                    {QStringLiteral("削除内容"), Kind::Text},
                                    {QStringLiteral("日付"), Kind::Date},
                                    {QStringLiteral("顧客名"), Kind::Text},
                                    {QStringLiteral("ふりがな"), Kind::Text},
                                    {QStringLiteral("タイトル"), Kind::Text},
                                    {QStringLiteral("担当"), Kind::Text},
                                    {QStringLiteral("メモ"), Kind::Text}},
                                   {{QStringLiteral("削除番号")}}};
    return t;
}

DeletedReports::DeletedReports(const QString &dataDbPath, QDateTime now) : path_(dataDbPath), now_(std::move(now)) {}

QDateTime DeletedReports::now() const { return now_.isValid() ? now_ : QDateTime::currentDateTime(); }

qlonglong DeletedReports::newId() const {
    return now().toMSecsSinceEpoch() * kIdScale + QRandomGenerator::global()->bounded(int(kIdScale));
}

Error DeletedReports::purge(dao::Database &db) const {
    const qlonglong cutoff = now().addDays(-KeepDays).toMSecsSinceEpoch() * kIdScale;
    if (Error e = Confirmations::purgeIn(db, cutoff); !e.ok()) return e;
    if (Error e = NextSteps::purgeIn(db, cutoff); !e.ok()) return e;
    return run(db, QStringLiteral("古い削除の控えを消せませんでした。"),
               QStringLiteral("delete * from ") + Table + QStringLiteral(" where 削除番号 < ") + QString::number(cutoff));
}

// The time a deletion is written with comes from its number, so every row of
// one deletion carries the same time even when writing them crosses a second
// (a deletion is listed by number and time together).
QString DeletedReports::stampOf(qlonglong id) const {
    return QDateTime::fromMSecsSinceEpoch(id / kIdScale, now().timeZone()).toString(kStamp);
}

Error DeletedReports::keep(dao::Database &db, const QString &where, qlonglong id, const QString &what,
                           qlonglong *moved) const {
    const QString text = QStringLiteral("営業日報を削除できませんでした。データは元のままです。");
    if (Error e = dao::ensureTable(db, definition()); !e.ok()) return Error(e.code(), text, e.detail());
    qlonglong kept = 0;
    if (Error e = run(db, text,
                      QStringLiteral("insert into ") + Table + QStringLiteral(" (削除番号, 削除日時, 削除内容, ") +
                          kReportFields + QStringLiteral(") select ") + QString::number(id) + u',' +
                          dao::sqlText(stampOf(id)) + u',' + dao::sqlText(what) + u',' + kReportFields +
                          QStringLiteral(" from 営業日報") + where,
                      &kept);
        !e.ok())
        return e;
    qlonglong deleted = 0;
    if (Error e = run(db, text, QStringLiteral("delete * from 営業日報") + where, &deleted); !e.ok()) return e;
    // A report that arrived between the two statements (another program, on
    // a server) would go unkept: the whole deletion is refused instead.
    if (deleted != kept)
        return Error(Error::Code::DatabaseFailed, text, QStringLiteral("別の端末が同時に書き込みました。もう一度お試しください。"));
    // The reports' confirmations go into the deletion with them.
    if (Error e = Confirmations::moveIn(db, 0, id, where); !e.ok()) return Error(e.code(), text, e.detail());
    // A deleted report's next step goes with it, and comes back with it.
    if (Error e = NextSteps::keepIn(db, where, id); !e.ok()) return Error(e.code(), text, e.detail());
    if (moved) *moved += kept;
    return {};
}

Error DeletedReports::remove(const QList<ReportKey> &keys, const QString &what, qlonglong *removed) const {
    const QString text = QStringLiteral("営業日報を削除できませんでした。データは元のままです。");
    if (removed) *removed = 0;
    auto db = dao::Database::open(path_);
    // Reads, then writes: the file's write lock is taken at once (waiting
    // for another writer), not midway, where a writer would refuse it.
    if (!db.beginWriteTrans()) return dao::failure(text, db);
    const auto fail = [&db](Error e) {
        db.rollback();
        return e;
    };
    const qlonglong id = newId();
    qlonglong moved = 0;
    for (const ReportKey &k : keys)
        if (Error e = keep(db, keyWhere(k), id, what, &moved); !e.ok()) return fail(e);
    if (Error e = purge(db); !e.ok()) return fail(e);
    if (!db.commitTrans()) return fail(dao::failure(text, db));
    if (removed) *removed = moved;
    return {};
}

Error DeletedReports::removeAllIn(dao::Database &db, const QString &what) const {
    if (Error e = keep(db, QString(), newId(), what, nullptr); !e.ok()) return e;
    return purge(db);
}

QList<DeletedReports::Deletion> DeletedReports::read(bool newestOnly, Error *error) const {
    const QString text = QStringLiteral("削除した営業日報の控えを読めません。");
    QList<Deletion> out;
    if (error) *error = Error();
    auto db = dao::Database::open(path_);
    QString why;
    const std::optional<bool> present = dao::hasTable(db, Table, &why);
    if (!present) {
        if (error) *error = Error(Error::Code::DatabaseFailed, text, why);
        return out;
    }
    if (!*present) return out;
    const qlonglong cutoff = now().addDays(-KeepDays).toMSecsSinceEpoch() * kIdScale;
    QString where = QStringLiteral(" where 削除番号 >= ") + QString::number(cutoff);
    if (newestOnly) {
        // The newest number alone, from the index, before its rows are read.
        auto rs = db.openRecordset(QStringLiteral("select max(削除番号) as n from ") + Table + where);
        if (!rs.isOpen()) {
            if (error) *error = dao::failure(text, db, rs);
            return out;
        }
        const QVariant newest = rs.field(QStringLiteral("n"));
        if (newest.isNull()) return out;
        where = QStringLiteral(" where 削除番号 = ") + QString::number(newest.toLongLong());
    }
    auto rs = db.openRecordset(
        QStringLiteral("select 削除番号, 削除日時, 削除内容, count(*) as 件数, min(日付) as 最初, max(日付) as 最後, "
                       "min(顧客名) as 顧客, min(担当) as 担当者 from ") +
        Table + where + QStringLiteral(" group by 削除番号, 削除日時, 削除内容 order by 削除番号 desc"));
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(text, db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext()) {
        Deletion d;
        d.id = rs.field(QStringLiteral("削除番号")).toLongLong();
        d.at = QDateTime::fromString(rs.field(QStringLiteral("削除日時")).toString(), kStamp);
        d.what = rs.field(QStringLiteral("削除内容")).toString();
        d.reports = rs.field(QStringLiteral("件数")).toLongLong();
        d.first = dayOf(rs.field(QStringLiteral("最初")));
        d.last = dayOf(rs.field(QStringLiteral("最後")));
        d.customer = rs.field(QStringLiteral("顧客")).toString();
        d.staff = rs.field(QStringLiteral("担当者")).toString();
        out << d;
    }
    return out;
}

QList<DeletedReports::Deletion> DeletedReports::list(Error *error) const { return read(false, error); }

std::optional<DeletedReports::Deletion> DeletedReports::last(Error *error) const {
    const QList<Deletion> newest = read(true, error);
    if (newest.isEmpty()) return std::nullopt;
    return newest.first();
}

Error DeletedReports::restore(qlonglong id, Conflicts how, Restored *out) const {
    const QString text = QStringLiteral("削除した営業日報を元に戻せませんでした。データは元のままです。");
    *out = Restored();
    auto db = dao::Database::open(path_);
    if (!db.beginWriteTrans()) return dao::failure(text, db);
    const auto fail = [&db](Error e) {
        db.rollback();
        return e;
    };
    QString why;
    const std::optional<bool> present = dao::hasTable(db, Table, &why);
    if (!present) return fail(Error(Error::Code::DatabaseFailed, text, why));
    if (!*present) return fail(Error(Error::Code::NotFound, QStringLiteral("元に戻す削除がありません。")));
    const QString ofId = QStringLiteral(" where 削除番号 = ") + QString::number(id);
    // The reports of the deletion that the book holds again.
    {
        const QString d = Table + u'.';
        auto rs = db.openRecordset(QStringLiteral("select distinct ") + d + QStringLiteral("日付, ") + d +
                                   QStringLiteral("顧客名, ") + d + QStringLiteral("担当 from ") + Table +
                                   QStringLiteral(", 営業日報 where ") + d + QStringLiteral("削除番号 = ") +
                                   QString::number(id) + QStringLiteral(" and 営業日報.日付 = ") + d +
                                   QStringLiteral("日付 and 営業日報.顧客名 = ") + d +
                                   QStringLiteral("顧客名 and 営業日報.担当 = ") + d + QStringLiteral("担当"));
        if (!rs.isOpen()) return fail(dao::failure(text, db, rs));
        for (; !rs.eof(); rs.moveNext())
            out->conflicting << ReportKey{dayOf(rs.field(QStringLiteral("日付"))), rs.field(QStringLiteral("顧客名")).toString(),
                                          rs.field(QStringLiteral("担当")).toString()};
    }
    if (!out->conflicting.isEmpty() && how == Conflicts::Ask) {
        db.rollback();
        return {};
    }
    if (how == Conflicts::Replace) {
        // The reports written since go into a deletion of their own.
        const qlonglong replaced = newId();
        for (const ReportKey &k : std::as_const(out->conflicting))
            if (Error e = keep(db, keyWhere(k), replaced, QStringLiteral("元に戻したときに置き換えた営業日報"), nullptr);
                !e.ok())
                return fail(e);
    } else {
        // Those stay in the deletion: set aside while the others go back.
        for (const ReportKey &k : std::as_const(out->conflicting)) {
            const QString where = ofId + QStringLiteral(" and 顧客名 = ") + dao::sqlText(k.customer) +
                                  QStringLiteral(" and 担当 = ") + dao::sqlText(k.staff) +
                                  QStringLiteral(" and 日付 = ") + dao::sqlDate(k.day);
            if (Error e = run(db, text,
                              QStringLiteral("update ") + Table + QStringLiteral(" set 削除番号 = ") +
                                  QString::number(-id) + where,
                              &out->left);
                !e.ok())
                return fail(e);
            if (Error e = Confirmations::moveIn(db, id, -id, keyWhere(k)); !e.ok()) return fail(e);
        }
    }
    if (Error e = run(db, text,
                      QStringLiteral("insert into 営業日報 (") + kReportFields + QStringLiteral(") select ") +
                          kReportFields + QStringLiteral(" from ") + Table + ofId,
                      &out->restored);
        !e.ok())
        return fail(e);
    if (Error e = run(db, text, QStringLiteral("delete * from ") + Table + ofId); !e.ok()) return fail(e);
    if (Error e = Confirmations::moveIn(db, id, 0); !e.ok()) return fail(e);
    if (Error e = Confirmations::moveIn(db, -id, id); !e.ok()) return fail(e);
    // Reports left in the deletion keep their steps there.
    if (Error e = NextSteps::restoreIn(db, id, how == Conflicts::KeepCurrent ? out->conflicting : QList<ReportKey>());
        !e.ok())
        return fail(Error(e.code(), text, e.detail()));
    if (out->left > 0) {
        if (Error e = run(db, text,
                          QStringLiteral("update ") + Table + QStringLiteral(" set 削除番号 = ") + QString::number(id) +
                              QStringLiteral(" where 削除番号 = ") + QString::number(-id));
            !e.ok())
            return fail(e);
    }
    if (Error e = purge(db); !e.ok()) return fail(e);
    if (!db.commitTrans()) return fail(dao::failure(text, db));
    if (how == Conflicts::KeepCurrent) out->conflicting.clear();
    return {};
}

QString DeletedReports::describe(const Deletion &d) {
    const QString days = d.first == d.last ? d.first.toString(QStringLiteral("yyyy/MM/dd"))
                                           : d.first.toString(QStringLiteral("yyyy/MM/dd")) + QStringLiteral("～") +
                                                 d.last.toString(QStringLiteral("yyyy/MM/dd"));
    return QStringLiteral("%1  %2  (営業日報 %3 件、%4)").arg(d.at.toString(kStamp), d.what).arg(d.reports).arg(days);
}

}  // namespace tqen::model
