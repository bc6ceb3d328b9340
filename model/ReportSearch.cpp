#include "model/ReportSearch.h"

namespace tqen::model {

namespace {

// The texts searched, in the order a hit carries them.
enum Text { Title, Memo, Customer };
// The columns a hit reads besides them.
enum Column { Day, Staff };

}  // namespace

const dao::TextIndexNames &reportIndexNames() {
    static const dao::TextIndexNames names = dao::TextIndexNames::of(
        QStringLiteral("営業日報"), {QStringLiteral("タイトル"), QStringLiteral("メモ"), QStringLiteral("顧客名")},
        QStringLiteral("日付"));
    return names;
}

bool searchIndexApplies(const QString &path) { return dao::textIndexApplies(path); }

bool hasSearchIndex(const QString &path) { return dao::hasTextIndex(path, reportIndexNames()); }

Error buildSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress) {
    return dao::buildTextIndex(path, reportIndexNames(), progress);
}

Error catchUpSearchIndex(const QString &path, const std::function<void(qlonglong, qlonglong)> &progress) {
    return dao::catchUpTextIndex(path, reportIndexNames(), progress);
}

Error beginSearchIndex(const QString &path) { return dao::beginTextIndex(path, reportIndexNames()); }

qlonglong searchIndexWaiting(const QString &path) { return dao::textIndexWaiting(path, reportIndexNames()); }

SearchIndexer::SearchIndexer() : dao::TextIndexer(reportIndexNames()) {}

Error dropSearchIndex(const QString &path) { return dao::dropTextIndexes(path); }

Error searchReports(const QString &path, const SearchRequest &request, SearchResult *result) {
    *result = SearchResult();
    dao::TextSearch search;
    search.text = request.text;
    if (!request.customer.isEmpty()) search.equal << qMakePair(QStringLiteral("顧客名"), request.customer);
    if (!request.staff.isEmpty()) search.equal << qMakePair(QStringLiteral("担当"), request.staff);
    search.columns = {QStringLiteral("日付"), QStringLiteral("担当")};
    search.limit = request.limit;
    dao::TextSearchResult found;
    const Error error =
        dao::searchText(path, reportIndexNames(), search, &found, QStringLiteral("営業日報を検索できませんでした。"));
    if (!error.ok()) return error;
    result->more = found.more;
    result->method = found.method;
    result->hits.reserve(found.hits.size());
    for (const dao::TextHit &h : std::as_const(found.hits)) {
        result->hits << SearchHit{h.row,
                                  h.columns[Day].toDate(),
                                  h.texts[Customer].toString(),
                                  h.columns[Staff].toString(),
                                  h.texts[Title].toString(),
                                  h.texts[Memo].toString()};
    }
    return {};
}

QStringList searchIndexSchema() { return dao::textIndexSchema(reportIndexNames()); }

}  // namespace tqen::model
