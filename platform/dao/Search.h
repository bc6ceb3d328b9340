#pragma once
// A folded-text index beside a table of rows, and the search over it: the
// table's text columns, blind to kana width, hiragana / katakana and letter
// case (platform/text/Fold.h). The program's own tables are named by their
// owners (the reports' index: model/ReportSearch.h); this layer knows only
// the names it is given.
//
// The file holds the index beside the table, all derived from it:
//   the trigram index  an FTS5 trigram index (contentless, rowids only) of
//                      each row's folded texts, a line each;
//   the grams index    an FTS5 index (contentless, rowids only) of every
//                      character and pair of characters of that text, for
//                      terms too short for trigrams;
//   the waiting table  the rows written since they were last indexed, with
//                      the texts the index still holds for them;
//   three triggers on the table that put every inserted, updated or deleted
//   row into the waiting table. They are plain SQL, so any program that
//   writes the file (the sqlite3 tool, an older version of this program)
//   keeps working and leaves the index no more than "behind".
// The waiting rows are folded and indexed in slices (short transactions, so
// that other writers wait a moment at most): in the background after the
// program has opened the file (TextIndexer), and for a few written since, by
// the search itself. When the whole index of many rows is made anew, its
// grams index is made meanwhile in a side file on a second thread and copied
// in at the end (SearchSide.cpp); until then short terms are looked for
// without the index. The index only proposes rows: each is checked against
// its folded texts before it is given back, so the index never yields a
// wrong hit, and the waiting rows are read and checked as they are, so a
// search while the catch-up runs (or cannot write) still finds them all.
//
// A file without the index is searched by folding every row as it is read
// (slow but right) until buildTextIndex gives it one.
#include "platform/error/Error.h"

#include <QDate>
#include <QPair>
#include <QVariant>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace tqen::dao {

// What an index covers and the names of its parts, which follow the
// table's: for 営業日報, 営業日報_検索 (trigrams), 営業日報_検索字 (characters
// and pairs), 営業日報_検索待ち (waiting), the triggers 営業日報_検索_追加,
// _更新 and _削除, and 営業日報_検索字作成中 while a new grams index is made
// beside the file.
struct TextIndexNames {
    QString table;          // the indexed table, e.g. 営業日報
    QStringList texts;      // its text columns, folded and searched
    QString dateColumn;     // hits come newest first by it, then by rowid
    QString trigrams;       // the trigram index
    QString grams;          // the index of characters and pairs
    QString waiting;        // the rows waiting to be indexed
    QStringList triggers;   // after insert, update and delete
    QString gramsElsewhere; // while the grams index is made in a side file: its name

    static TextIndexNames of(const QString &table, const QStringList &texts, const QString &dateColumn);
};

struct TextSearch {
    QString text;                              // as typed; folded here
    QList<QPair<QString, QString>> equal;      // only rows whose column holds the value
    QStringList columns;                       // read for each hit besides the texts
    int limit = 500;                           // newest first, at most this many
};

struct TextHit {
    qlonglong row = 0;
    QVariantList texts;    // the text columns, in the names' order
    QVariantList columns;  // the columns asked for, in their order
};

// Scan: a database on a server holds no index; its rows are read and each
// is checked.
enum class SearchMethod { Nothing, Trigram, Grams, Unindexed, Scan };

struct TextSearchResult {
    QList<TextHit> hits;
    bool more = false;  // more rows match than the limit
    SearchMethod method = SearchMethod::Nothing;
};

// False for a database on a server: it is searched by reading its rows, and
// the functions below that keep an index do nothing there.
bool textIndexApplies(const QString &path);

// True when the file holds the whole index (its tables and triggers).
bool hasTextIndex(const QString &path, const TextIndexNames &names);

// Makes the index anew (dropping whatever part of it is there) and indexes
// every row, in slices. progress(done, total) tells how many rows of all are
// indexed.
Error buildTextIndex(const QString &path, const TextIndexNames &names,
                     const std::function<void(qlonglong, qlonglong)> &progress = {});

// Indexes the rows written since the last catch-up (by this program or any
// other), in slices. Does nothing on a file without the index. When
// thousands of rows that were indexed wait (a mass update or deletion by
// another program) the index is made anew.
Error catchUpTextIndex(const QString &path, const TextIndexNames &names,
                       const std::function<void(qlonglong, qlonglong)> &progress = {});

// Gives a file without the index its tables and triggers, empty, with every
// row waiting (one short transaction); the catch-up then fills it.
Error beginTextIndex(const QString &path, const TextIndexNames &names);

// How many rows wait to be indexed; -1 for a file without the index.
qlonglong textIndexWaiting(const QString &path, const TextIndexNames &names);

// The catch-up (and, for a file without the index, its making) on a thread
// of its own with its own connection, in slices that leave the file to
// other writers in between. Stopped (between two slices) when it goes.
class TextIndexer {
public:
    explicit TextIndexer(TextIndexNames names);
    ~TextIndexer();
    TextIndexer(const TextIndexer &) = delete;
    TextIndexer &operator=(const TextIndexer &) = delete;

    // Starts on the file unless it runs there already; one running on
    // another file is stopped first. A few waiting rows (or a small file
    // without the index) are done at once, before it returns; only more
    // take the thread. False where no index applies.
    bool start(const QString &path);
    void stop();
    bool running() const;
    // Rows indexed of all, as far as it has come.
    qlonglong done() const;
    qlonglong total() const;
    // Why the last run ended early (a file that cannot be written).
    Error error() const;

private:
    struct Shared;
    TextIndexNames names_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    QString path_;
};

// Removes every such index of the file (tables and triggers) and compacts
// it: for a copy that is to be archived, since an index can always be made
// again from its table.
Error dropTextIndexes(const QString &path);

// The rows whose text columns hold the text, newest first. The text is
// searched as plain text: quotes, * and words such as NEAR or AND mean
// nothing special. A blank text finds nothing. failed is the message of the
// error a failure gives.
Error searchText(const QString &path, const TextIndexNames &names, const TextSearch &request, TextSearchResult *result,
                 const QString &failed);

// The statements that make the index, in order.
QStringList textIndexSchema(const TextIndexNames &names);

}  // namespace tqen::dao
