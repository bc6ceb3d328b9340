#pragma once
// The search tab of the main screen: a term, whether the entry's staff
// member and customer filter the search, the reports found (newest first,
// each with the place the term was found), and how far the search index is
// made while it is being made behind the screen.
#include "model/ReportSearch.h"
#include "model/Session.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace tqen {

class SearchTab : public QWidget {
    Q_OBJECT
public:
    // The entry's staff member and customer, asked for whenever the filter
    // is shown.
    struct Filter {
        QString staff, customer;
    };
    // session: the data database searched (its path can change while the
    // program runs) and the date style of the results.
    SearchTab(const model::Session &session, std::function<Filter()> entryFilter, QWidget *parent = nullptr);
    ~SearchTab() override;

    QString term() const;
    // The filter as the search takes it: empty when it is not ticked.
    Filter filter() const;
    // Puts the cursor in the term; from a shortcut the term is selected,
    // ready to be typed over.
    void focusTerm(bool fromShortcut = false);
    void clearResults();
    // Shows what a search found; the day format is the settings' style.
    void showResults(const model::SearchResult &result, const QString &typed, const QString &dayFormat,
                     const Error &indexError);
    // Searches for the term typed, with the filter shown: reports whose
    // title, memo or customer name hold it, newest first. A data file from
    // before the index gets it, and reports other programs wrote are indexed
    // first (a few at once, many in the background while this search reads
    // them as they are): without the index the search is right but slow.
    void search();
    // Starts making or catching up the data file's search index: a few
    // waiting reports at once, many on a thread of its own while the screen
    // is in use. The error tells why the file has no index.
    Error startIndexing();
    // The data file is not to be written (it is damaged): it gets no index,
    // and the results say why.
    void refuseIndexing(const Error &why) {
        indexError_ = why;
        refused_ = !why.ok();
    }
    // Until the data file is known to be sound the search reads without
    // writing the index.
    void holdIndexing() {
        indexError_ = {};
        refused_ = true;
    }
    // What the filter will hold, shown under the tick box.
    void showSearchFilter();

signals:
    void searchClicked();
    // While a search reads the data file (true), and when it has done.
    void busy(bool reading);
    // A search could not read the data file.
    void failed(const tqen::Error &error);
    // A found report was chosen (Enter or a double click).
    void hitActivated(const QDate &day, const QString &customer, const QString &staff);
    // The history of a found report's customer was asked for (context menu).
    void historyRequested(const QString &customer);

private:
    void ShowSearchIndexing();
    const model::Session &session_;
    std::function<Filter()> entryFilter_;
    Error indexError_;  // why the data file has no search index, if it has none
    bool refused_ = false;
    QLineEdit *txt検索 = nullptr;
    QPushButton *cmd検索 = nullptr;
    QCheckBox *chk絞り込み = nullptr;
    QLabel *lbl絞り込み = nullptr;
    QLabel *lbl検索結果 = nullptr;
    QLabel *lbl件数 = nullptr;
    QLabel *lbl索引 = nullptr;        // how far the search index is made, while it is
    QTreeWidget *lst検索結果 = nullptr;
    model::SearchIndexer indexer_;
    QTimer *indexTimer_ = nullptr;
};

}  // namespace tqen
