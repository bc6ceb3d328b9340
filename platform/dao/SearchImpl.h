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

#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// One row's words for the grams index: put in, or taken out again (which
// needs the very words it was given).
struct GramsChange {
    qlonglong id;
    bool drop;
    std::string grams;
};

// The grams index of a whole index made anew, made meanwhile in a side file
// beside the data file by a thread of its own, while the catch-up writes
// the trigram index into the file itself: FTS5 writes one index per
// connection at a time, and the two take about as long. The slices hand it
// their rows' words as they commit; once every row is indexed the side
// index is merged and copied into the file's grams index in slices of its
// own, the last of which makes it whole.
//
// Meanwhile the file holds a table (names.gramsElsewhere) naming the side
// file: its grams index is empty, nobody else writes it and searches look
// for short terms without it. The side file stays locked while its maker
// lives, so that whoever finds the table can tell a making that goes on
// from one that was ended (the program closed, or stopped) and has to be
// started anew.
class GramsElsewhere {
public:
    // A side file beside the data file, its index and its thread; null when
    // none can be made (the grams are then written into the file as well).
    static std::unique_ptr<GramsElsewhere> start(const QString &dataPath, const TextIndexNames &names);
    ~GramsElsewhere();  // the thread stops, the side file goes
    GramsElsewhere(const GramsElsewhere &) = delete;
    GramsElsewhere &operator=(const GramsElsewhere &) = delete;

    // Inside the transaction that makes the index anew: the table that
    // names the side file.
    bool mark(Step &s);
    // Inside a slice's transaction: whether the table still names this
    // side file (nobody made the index anew meanwhile).
    bool stillOurs(Step &s);
    // The changes of a committed slice, in order; waits while the thread is
    // far behind. False once writing the side file failed.
    bool give(std::vector<GramsChange> changes);
    // Writes what is left, merges the side index and copies it into the
    // file, pausing pauseMs between slices; goOn() false stops it (false
    // back, nothing copied is used). False and *error when it failed.
    bool finish(int pauseMs, const std::function<bool()> &goOn, QString *error);
    // Whether another connection made the index anew meanwhile: the table
    // no longer names this side file.
    bool lost() const;

private:
    struct Impl;
    static bool stillOursIn(Step &s, const QString &name);
    explicit GramsElsewhere(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// Whether the file's grams index is being made elsewhere: not (None), by a
// maker that lives (Going), or by one that ended without finishing (Ended:
// the index has to be made anew; its side file, if still there, is removed
// here).
enum class GramsMaking { None, Going, Ended };
GramsMaking gramsMaking(Step &s);

// Whether the file's grams index is there to be searched: false while it
// is made elsewhere (it is empty meanwhile).
bool gramsSearchable(Step &s);

// One slice of the catch-up, in one short transaction: the first `most`
// waiting rows (by rowid) are indexed — what the index holds for each is
// taken out, and what the row holds now (if it is still there) put in —
// and leave the queue. *done is how many there were (0: nothing waits).
// With side, the rows' grams go to it once the slice has committed.
bool catchUpSlice(Step &s, qlonglong most, qlonglong *done, GramsElsewhere *side = nullptr);

}  // namespace tqen::dao::searchindex
