#pragma once
// What the search (Search.cpp) and the index's upkeep (SearchIndex.cpp) of
// a folded-text index share: the steps on one connection, whether the index
// is there, one slice of the catch-up, and which characters the character
// index's words hold.
#include "platform/dao/Connection.h"
#include "platform/dao/Search.h"

#include <sqlite3.h>

#include <QString>
#include <QVariant>

namespace tqen::dao::searchindex {

// The character index's words: every character and every pair of
// neighbouring characters of a folded text, once each, written as they are
// (UTF-8) with a blank between, so that a term of one or two characters is a
// single word to look up. The index's tokenizer takes every character but
// blanks and control characters as part of a word; those take no part in
// the words (nor do the line breaks between the fields), and a short term
// holding one is looked for without the index.
inline bool gramCharacter(char32_t c) { return c > 0x20 && c != 0x7F; }

inline bool gramTerm(const QString &foldedTerm) {
    const QList<uint> cps = foldedTerm.toUcs4();
    for (const uint c : cps)
        if (!gramCharacter(c)) return false;
    return true;
}

struct Step {
    Connection *c;
    QString error;
    const TextIndexNames &n;

    bool exec(const QString &sql) {
        char *msg = nullptr;
        if (sqlite3_exec(c->db.get(), sql.toUtf8().constData(), nullptr, nullptr, &msg) == SQLITE_OK) return true;
        error = msg ? QString::fromUtf8(msg) : c->lastError();
        sqlite3_free(msg);
        return false;
    }
    Statement prepare(const QString &sql) { return c->prepare(sql, {}, &error); }
    qlonglong scalar(const QString &sql, bool *ok = nullptr) {
        const Statement st = prepare(sql);
        const bool row = st && sqlite3_step(st.get()) == SQLITE_ROW;
        if (ok) *ok = row;
        return row ? sqlite3_column_int64(st.get(), 0) : 0;
    }
};

// The whole index, as this program makes it: a character index from an
// older program (whose words were written otherwise) counts as none, and is
// made anew.
bool indexPresent(Step &s);

// One slice of the catch-up, in one short transaction: the first `most`
// waiting rows (by rowid) are indexed — what the index holds for each is
// taken out, and what the row holds now (if it is still there) put in —
// and leave the queue. *done is how many there were (0: nothing waits).
bool catchUpSlice(Step &s, qlonglong most, qlonglong *done);

}  // namespace tqen::dao::searchindex
