#pragma once
// Full-text search of the daily reports (営業日報): the title, the memo and
// the customer name, blind to kana width, hiragana / katakana and letter
// case. Every search of the program goes through these functions; forms
// only call them.
//
// The data file holds the index beside 営業日報, all derived from it (the
// engine's folded-text index, platform/dao/Search.h):
//   営業日報_検索      the trigram index of each report's folded title, memo
//                     and customer, a line each;
//   営業日報_検索字    the index of every character and pair of characters of
//                     that text, for terms too short for trigrams;
//   営業日報_検索待ち  the reports written since they were last indexed, with
//                     the text the index still holds for them;
//   営業日報_検索_追加, _更新, _削除: the triggers that fill it.
// A data database on a server holds no index: its reports are read and each
// is checked.
#include "platform/dao/Search.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

namespace tqen::model {

using dao::SearchMethod;

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

struct SearchResult {
    QList<SearchHit> hits;
    bool more = false;  // more reports match than the limit
    SearchMethod method = SearchMethod::Nothing;
};

// The names of the reports' index.
const dao::TextIndexNames &reportIndexNames();

// False for a data database on a server: it is searched by reading its
// reports, and the functions below that keep an index do nothing there.
bool searchIndexApplies(const QString &path);

// True when the file holds the whole index (its tables and triggers, as
// this program makes them).
bool hasSearchIndex(const QString &path);

// Makes the index anew and indexes every report, in slices. progress(done,
// total) tells how many reports of all are indexed.
Error buildSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress = {});

// Indexes the reports written since the last catch-up, in slices. Does
// nothing on a file without the index.
Error catchUpSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress = {});

// Gives a file without the index its tables and triggers, empty, with every
// report waiting; the catch-up then fills it.
Error beginSearchIndex(const QString &path);

// How many reports wait to be indexed; -1 for a file without the index.
qlonglong searchIndexWaiting(const QString &path);

// The catch-up of the data file's index (and, for a file without it, its
// making) on a thread of its own: dao::TextIndexer over the reports.
class SearchIndexer : public dao::TextIndexer {
public:
    SearchIndexer();
};

// Removes the index and compacts the file (for a copy to be archived; the
// archiver itself calls dao::dropTextIndexes).
Error dropSearchIndex(const QString &path);

// The reports whose title, memo or customer name holds the text, newest
// first. The text is searched as plain text: quotes, * and words such as
// NEAR or AND mean nothing special. A blank text finds nothing.
Error searchReports(const QString &path, const SearchRequest &request, SearchResult *result);

// The statements that make the index, in order, as the delivered data file
// holds them.
QStringList searchIndexSchema();

}  // namespace tqen::model
