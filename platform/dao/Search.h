#pragma once
// Full-text search of the daily reports: the title, the memo and the
// customer name, blind to kana width, hiragana / katakana and letter case.
// Every search statement of the program lives behind these functions
// (platform/dao/Search.cpp); forms only call them.
//
// The data file holds the index beside 営業日報, all derived from it:
//   営業日報_検索      an FTS5 trigram index (contentless, rowids only) of
//                     each report's folded text: title, memo and customer,
//                     a line each;
//   営業日報_検索字    an FTS5 index (contentless, rowids only) of every
//                     character and pair of characters of that text, for
//                     terms too short for trigrams;
//   営業日報_検索待ち  the reports written since they were last indexed, with
//                     the text the index still holds for them;
//   three triggers on 営業日報 that put every inserted, updated or deleted
//   report into 営業日報_検索待ち. They are plain SQL, so any program that
//   writes the file (the sqlite3 tool, an older version of this program)
//   keeps working and leaves the index no more than "behind".
// The waiting reports are folded and indexed in slices (short transactions,
// so that other writers wait a moment at most): in the background after the
// program has opened the file (SearchIndexer), and for a few written since,
// by the search itself. The index only proposes rows: each is checked
// against its folded text before it is shown, so the index never yields a
// wrong hit, and the waiting reports are read and checked as they are, so a
// search while the catch-up runs (or cannot write) still finds them all.
//
// A file without the index is searched by folding every report as it is
// read (slow but right) until buildSearchIndex gives it one.
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace tqen::dao {

struct SearchHit {
    qlonglong row = 0;  // the report's rowid
    QDate day;
    QString customer;
    QString staff;
    QString title;
    QString memo;
};

struct SearchRequest {
    QString text;      // as typed; folded here
    QString customer;  // only this customer's reports when not empty
    QString staff;     // only this staff member's reports when not empty
    int limit = 500;   // newest first, at most this many
};

// Scan: a data database on a server holds no index; its reports are read
// and each is checked.
enum class SearchMethod { Nothing, Trigram, Grams, Unindexed, Scan };

struct SearchResult {
    QList<SearchHit> hits;
    bool more = false;  // more reports match than the limit
    SearchMethod method = SearchMethod::Nothing;
};

// False for a data database on a server: it is searched by reading its
// reports, and the functions below that keep an index do nothing there.
bool searchIndexApplies(const QString &path);

// True when the file holds the whole index (its tables and triggers).
bool hasSearchIndex(const QString &path);

// Makes the index anew (dropping whatever part of it is there) and indexes
// every report, in slices. progress(done, total) tells how many reports of
// all are indexed.
Error buildSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress = {});

// Indexes the reports written since the last catch-up (by this program or
// any other), in slices. Does nothing on a file without the index. When
// thousands of reports that were indexed wait (a mass update or deletion by
// another program) the index is made anew. progress(done, total) tells how
// many reports of all are indexed.
Error catchUpSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress = {});

// Gives a file without the index its tables and triggers, empty, with every
// report waiting (one short transaction); the catch-up then fills it.
Error beginSearchIndex(const QString &path);

// How many reports wait to be indexed; -1 for a file without the index.
qlonglong searchIndexWaiting(const QString &path);

// The catch-up (and, for a file without the index, its making) on a thread
// of its own with its own connection, in slices that leave the file to
// other writers in between. Stopped (between two slices) when it goes.
class SearchIndexer {
public:
    SearchIndexer();
    ~SearchIndexer();
    SearchIndexer(const SearchIndexer &) = delete;
    SearchIndexer &operator=(const SearchIndexer &) = delete;

    // Starts on the file unless it runs there already; one running on
    // another file is stopped first. A few waiting reports (or a small file
    // without the index) are done at once, before it returns; only more
    // take the thread. False where no index applies.
    bool start(const QString &path);
    void stop();
    bool running() const;
    // Reports indexed of all, as far as it has come.
    qlonglong done() const;
    qlonglong total() const;
    // Why the last run ended early (a file that cannot be written).
    Error error() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    QString path_;
};

// Removes the index (tables and triggers) and compacts the file: for a copy
// that is to be archived, since the index can always be made again from the
// reports.
Error dropSearchIndex(const QString &path);

// The reports whose title, memo or customer name holds the text, newest
// first. The text is searched as plain text: quotes, * and words such as
// NEAR or AND mean nothing special. A blank text finds nothing.
Error searchReports(const QString &path, const SearchRequest &request, SearchResult *result);

// The statements that make the index, in order, as the delivered data file
// holds them.
QStringList searchIndexSchema();

}  // namespace tqen::dao
