#pragma once
// Full-text search of the daily reports: the title, the memo and the
// customer name, blind to kana width, hiragana / katakana and letter case.
//
// The data file holds the index beside 営業日報:
//   営業日報_検索本文  one row per report (id = the report's rowid) with its
//                     folded text: title, memo and customer, a line each;
//   営業日報_検索      an FTS5 trigram index over that text (external
//                     content);
//   営業日報_検索字    an FTS5 index of every character and every pair of
//                     characters of that text (contentless, rowids only),
//                     for the terms too short for trigrams;
//   three triggers on 営業日報 that keep both in step with every insert,
//   update and delete, whatever statement makes it.
// The triggers fold with the function tqen_fold, which every connection of
// this engine provides.
//
// Terms of three or more characters are looked up in the trigram index;
// shorter ones, which a trigram index cannot serve, in the character index.
// A file without the index is searched by folding every row as it is read
// (slow but right) until buildSearchIndex gives it one.
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

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

enum class SearchMethod { Nothing, Trigram, Grams, Unindexed };

struct SearchResult {
    QList<SearchHit> hits;
    bool more = false;  // more reports match than the limit
    SearchMethod method = SearchMethod::Nothing;
};

// True when the file holds the whole index and it covers every report.
bool hasSearchIndex(const QString &path);

// Makes the index anew (dropping whatever part of it is there) in one
// transaction. progress(done, total) is called as reports are folded.
Error buildSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress = {});

// The reports whose title, memo or customer name holds the text, newest
// first. The text is searched as plain text: quotes, * and words such as
// NEAR or AND mean nothing special. A blank text finds nothing.
Error searchReports(const QString &path, const SearchRequest &request, SearchResult *result);

// The statements that make the index, in order, as the delivered data file
// holds them.
QStringList searchIndexSchema();

}  // namespace tqen::dao
