// The search tab: its controls, the results it shows and the index's
// progress.
#include "app/SearchTab.h"

#include "model/Settings.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/Form.h"
#include "platform/forms/Interaction.h"
#include "platform/text/Fold.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tqen {

namespace {

enum Column { DayColumn, CustomerColumn, StaffColumn, TitleColumn, PlaceColumn };
constexpr int kDayRole = Qt::UserRole;

}  // namespace

SearchTab::SearchTab(const model::Session &session, std::function<Filter()> entryFilter, QWidget *parent)
    : QWidget(parent), session_(session), entryFilter_(std::move(entryFilter)) {
    QWidget *tab = this;
    setObjectName(QStringLiteral("tab検索"));

    auto *grid = new QGridLayout(tab);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);

    txt検索 = new QLineEdit(tab);
    txt検索->setObjectName(QStringLiteral("txt検索"));
    txt検索->setClearButtonEnabled(true);
    txt検索->setPlaceholderText(QStringLiteral("タイトル・メモ・顧客名に含まれる語"));
    txt検索->setToolTip(QStringLiteral("かな・カナ、全角・半角、大文字・小文字の違いは区別しません"));
    cmd検索 = new QPushButton(QStringLiteral("検索"), tab);
    cmd検索->setObjectName(QStringLiteral("cmd検索"));
    cmd検索->setAccessibleName(QStringLiteral("検索"));
    cmd検索->setMinimumHeight(32);
    auto *line = new QHBoxLayout;
    line->addWidget(txt検索, 1);
    line->addWidget(cmd検索);
    grid->addWidget(forms::fieldLabel(QStringLiteral("検索する語(&K)"), txt検索, tab), 0, 0);
    grid->addLayout(line, 0, 1);

    chk絞り込み = new QCheckBox(QStringLiteral("入力欄の担当・顧客名で絞り込む"), tab);
    chk絞り込み->setObjectName(QStringLiteral("chk絞り込み"));
    chk絞り込み->setAccessibleName(chk絞り込み->text());
    chk絞り込み->setChecked(true);
    lbl絞り込み = new QLabel(tab);
    lbl絞り込み->setObjectName(QStringLiteral("lbl絞り込み"));
    // The filter's names can be long: they wrap under the tick box.
    lbl絞り込み->setWordWrap(true);
    auto *filter = new QVBoxLayout;
    filter->addWidget(chk絞り込み);
    filter->addWidget(lbl絞り込み);
    grid->addLayout(filter, 1, 1);

    lst検索結果 = new QTreeWidget(tab);
    lst検索結果->setObjectName(QStringLiteral("lst検索結果"));
    lst検索結果->setRootIsDecorated(false);
    lst検索結果->setUniformRowHeights(true);
    lst検索結果->setAllColumnsShowFocus(true);
    lst検索結果->setHeaderLabels({QStringLiteral("日付"), QStringLiteral("顧客名"), QStringLiteral("担当"),
                                  QStringLiteral("タイトル"), QStringLiteral("該当箇所")});
    // Date and staff as wide as they need, the texts share the rest.
    lst検索結果->header()->setStretchLastSection(false);
    for (int c : {0, 2}) lst検索結果->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    for (int c : {1, 3, 4}) lst検索結果->header()->setSectionResizeMode(c, QHeaderView::Stretch);
    lst検索結果->setToolTip(QStringLiteral("Enter キーかダブルクリックで、その日の日報を開きます"));
    lbl検索結果 = forms::fieldLabel(QStringLiteral("検索結果(&R)"), lst検索結果, tab);
    lbl検索結果->setObjectName(QStringLiteral("lbl検索結果"));
    grid->addWidget(lbl検索結果, 2, 0, Qt::AlignTop);
    grid->addWidget(lst検索結果, 2, 1);
    lbl件数 = new QLabel(tab);
    lbl件数->setObjectName(QStringLiteral("lbl件数"));
    grid->addWidget(lbl件数, 3, 1);
    lbl索引 = new QLabel(tab);
    lbl索引->setObjectName(QStringLiteral("lbl索引"));
    lbl索引->setWordWrap(true);
    lbl索引->hide();
    grid->addWidget(lbl索引, 4, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);

    setTabOrder(txt検索, cmd検索);
    setTabOrder(cmd検索, chk絞り込み);
    setTabOrder(chk絞り込み, lst検索結果);
    connect(cmd検索, &QPushButton::clicked, this, &SearchTab::searchClicked);
    connect(txt検索, &QLineEdit::returnPressed, this, &SearchTab::searchClicked);
    // Enter on a row and a double click both open it.
    connect(lst検索結果, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const QDate day = item ? item->data(DayColumn, kDayRole).toDate() : QDate();
        if (day.isValid()) emit hitActivated(day, item->text(CustomerColumn), item->text(StaffColumn));
    });
    connect(chk絞り込み, &QCheckBox::toggled, this, [this] { showSearchFilter(); });
    // The context menu of a found report opens its customer's history.
    auto *history = new QAction(QStringLiteral("顧客カルテ(&K)"), lst検索結果);
    history->setObjectName(QStringLiteral("act顧客カルテ"));
    lst検索結果->addAction(history);
    lst検索結果->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(history, &QAction::triggered, this, [this] {
        if (QTreeWidgetItem *item = lst検索結果->currentItem()) emit historyRequested(item->text(CustomerColumn));
    });
    indexTimer_ = new QTimer(this);
    indexTimer_->setInterval(500);
    connect(indexTimer_, &QTimer::timeout, this, &SearchTab::ShowSearchIndexing);
    showSearchFilter();
}

SearchTab::~SearchTab() = default;


// What the filter will hold: the entry's staff member and customer.
void SearchTab::showSearchFilter() {
    const Filter entry = entryFilter_();
    QStringList parts;
    if (!entry.staff.isEmpty()) parts << QStringLiteral("担当「%1」").arg(entry.staff);
    if (!entry.customer.isEmpty()) parts << QStringLiteral("顧客名「%1」").arg(entry.customer);
    lbl絞り込み->setText(parts.isEmpty() ? QStringLiteral("（担当・顧客名は未入力です）") : parts.join(QStringLiteral("・")));
    lbl絞り込み->setEnabled(chk絞り込み->isChecked());
}

QString SearchTab::term() const { return txt検索->text().trimmed(); }

SearchTab::Filter SearchTab::filter() const { return chk絞り込み->isChecked() ? entryFilter_() : Filter(); }

void SearchTab::focusTerm(bool fromShortcut) {
    if (!fromShortcut) {
        txt検索->setFocus();
        return;
    }
    txt検索->setFocus(Qt::ShortcutFocusReason);
    txt検索->selectAll();
}

void SearchTab::clearResults() {
    lst検索結果->clear();
    lbl件数->clear();
}

Error SearchTab::startIndexing() {
    indexError_ = {};
    if (!model::searchIndexApplies(session_.dataDbPath)) return {};
    // A few waiting reports are indexed before this returns; many on the
    // thread, while the screen is in use.
    indexer_.start(session_.dataDbPath);
    if (indexer_.running()) indexTimer_->start();
    ShowSearchIndexing();
    indexError_ = indexer_.running() ? Error() : indexer_.error();
    return indexError_;
}

void SearchTab::search() {
    showSearchFilter();
    const QString typed = term();
    clearResults();
    if (typed.isEmpty()) {
        focusTerm();
        return;
    }
    // Half of a character would match every other half as U+FFFD.
    if (text::loneSurrogateAt(typed) >= 0) {
        forms::interaction().messageBox(this,
                                        QStringLiteral("検索する言葉に、文字の半分だけが入っています。その文字を消して入力し直してください。"),
                                        forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        focusTerm();
        return;
    }
    model::SearchRequest request;
    request.text = typed;
    const Filter shown = filter();
    request.customer = shown.customer;
    request.staff = shown.staff;
    if (!refused_) startIndexing();
    model::SearchResult result;
    emit busy(true);
    const Error error = model::searchReports(session_.dataDbPath, request, &result);
    showResults(result, typed, DayFormatFor(session_.env.年号), indexError_);
    emit busy(false);
    if (!error.ok()) emit failed(error);
}

void SearchTab::ShowSearchIndexing() {
    if (!indexer_.running()) {
        indexTimer_->stop();
        lbl索引->clear();
        lbl索引->hide();
        return;
    }
    const qlonglong total = indexer_.total(), done = indexer_.done();
    const int percent = total > 0 ? int(done * 100 / total) : 0;
    lbl索引->setText(QStringLiteral("検索用の索引を作成中です（%1%）。終わるまでは、検索に時間がかかることがあります。").arg(percent));
    lbl索引->show();
}

void SearchTab::showResults(const model::SearchResult &result, const QString &typed, const QString &dayFormat,
                            const Error &indexError) {
    lst検索結果->clear();
    const QString term = text::fold(typed);
    for (const model::SearchHit &hit : std::as_const(result.hits)) {
        QString place;
        for (const QString *field : {&hit.title, &hit.memo, &hit.customer}) {
            place = text::context(*field, term, 5, 24);
            if (!place.isEmpty()) break;
        }
        auto *item = new QTreeWidgetItem(lst検索結果, {FormatDate(hit.day, dayFormat), hit.customer, hit.staff, hit.title, place});
        item->setData(DayColumn, kDayRole, hit.day);
        item->setToolTip(PlaceColumn, place);
    }
    // Long customer names and titles leave room for the place of the match.
    for (int c = DayColumn; c < PlaceColumn; ++c) {
        lst検索結果->resizeColumnToContents(c);
        if (c != DayColumn) lst検索結果->setColumnWidth(c, std::min(lst検索結果->columnWidth(c), 150));
    }
    QString count = result.hits.isEmpty() ? QStringLiteral("見つかりません")
                                          : QStringLiteral("%1 件").arg(result.hits.size());
    if (result.more) count = QStringLiteral("新しい順に %1 件（ほかにもあります）").arg(result.hits.size());
    // Why the index could not be made is told where the note is.
    if (result.method == model::SearchMethod::Unindexed)
        count += QStringLiteral("　※検索用の索引を作れなかったため、時間がかかります。");
    lbl件数->setToolTip(result.method == model::SearchMethod::Unindexed ? indexError.message() : QString());
    lbl件数->setText(count);
    lst検索結果->setAccessibleDescription(count);
    if (lst検索結果->topLevelItemCount() > 0) {
        lst検索結果->setCurrentItem(lst検索結果->topLevelItem(0));
        lst検索結果->setFocus();
    }
}

}  // namespace tqen
