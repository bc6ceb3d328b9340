#pragma once
// The search tab of the main screen: a term, whether the entry's staff
// member and customer filter the search, the reports found (newest first,
// each with the place the term was found), and how far the search index is
// made while it is being made behind the screen.
#include "platform/dao/Search.h"
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
    explicit SearchTab(std::function<Filter()> entryFilter, QWidget *parent = nullptr);
    ~SearchTab() override;

    QString term() const;
    // The filter as the search takes it: empty when it is not ticked.
    Filter filter() const;
    // Puts the cursor in the term; from a shortcut the term is selected,
    // ready to be typed over.
    void focusTerm(bool fromShortcut = false);
    void clearResults();
    // Shows what a search found; the day format is the settings' style.
    void showResults(const dao::SearchResult &result, const QString &typed, const QString &dayFormat,
                     const Error &indexError);
    // Starts making or catching up the data file's search index: a few
    // waiting reports at once, many on a thread of its own while the screen
    // is in use. The error tells why the file has no index.
    Error startIndexing(const QString &dataDbPath);
    // What the filter will hold, shown under the tick box.
    void showSearchFilter();

signals:
    void searchClicked();
    // A found report was chosen (Enter or a double click).
    void hitActivated(const QDate &day, const QString &customer, const QString &staff);
    // The history of a found report's customer was asked for (context menu).
    void historyRequested(const QString &customer);

private:
    void ShowSearchIndexing();
    std::function<Filter()> entryFilter_;
    QLineEdit *txt検索 = nullptr;
    QPushButton *cmd検索 = nullptr;
    QCheckBox *chk絞り込み = nullptr;
    QLabel *lbl絞り込み = nullptr;
    QLabel *lbl検索結果 = nullptr;
    QLabel *lbl件数 = nullptr;
    QLabel *lbl索引 = nullptr;        // how far the search index is made, while it is
    QTreeWidget *lst検索結果 = nullptr;
    dao::SearchIndexer indexer_;
    QTimer *indexTimer_ = nullptr;
};

}  // namespace tqen
