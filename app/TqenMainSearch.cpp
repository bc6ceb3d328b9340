// The main screen's search tab: a term, the entry's staff and customer as an
// optional filter, and the reports found, newest first, each with the place
// the term was found. Choosing one shows that day's report in the entry tab.
#include "app/TqenMain.h"

#include "core/Globals.h"
#include "platform/dao/Search.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/text/Fold.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace tqen {

namespace {

enum Column { DayColumn, CustomerColumn, StaffColumn, TitleColumn, PlaceColumn };
constexpr int kDayRole = Qt::UserRole;

}  // namespace

void TqenMain::buildSearchTab(QWidget *tab) {
    tab->setObjectName(QStringLiteral("tab検索"));
    SSTab1->addTab(tab, QStringLiteral("検索"));

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
    connect(cmd検索, &QPushButton::clicked, this, &TqenMain::cmd検索_Click);
    connect(txt検索, &QLineEdit::returnPressed, this, &TqenMain::cmd検索_Click);
    // Enter on a row and a double click both open it.
    connect(lst検索結果, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { OpenSearchHit(item); });
    connect(chk絞り込み, &QCheckBox::toggled, this, [this] { showSearchFilter(); });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this, tab](int index) {
        if (SSTab1->widget(index) != tab) return;
        showSearchFilter();
        txt検索->setFocus();
    });
    showSearchFilter();
}

// What the filter will hold: the entry's staff member and customer.
void TqenMain::showSearchFilter() {
    QStringList parts;
    if (!cmb担当->Text().isEmpty()) parts << QStringLiteral("担当「%1」").arg(cmb担当->Text());
    if (!cmb顧客名->Text().isEmpty()) parts << QStringLiteral("顧客名「%1」").arg(cmb顧客名->Text());
    lbl絞り込み->setText(parts.isEmpty() ? QStringLiteral("（担当・顧客名は未入力です）") : parts.join(QStringLiteral("・")));
    lbl絞り込み->setEnabled(chk絞り込み->isChecked());
}

namespace {

// The catch-up on its own thread, and the timer that shows how far it is.
class SearchIndexing : public QObject {
public:
    explicit SearchIndexing(QObject *parent) : QObject(parent), timer(this) { timer.setInterval(500); }
    dao::SearchIndexer indexer;
    QTimer timer;
};

}  // namespace

Error TqenMain::PrepareSearchIndex() {
    if (!dao::searchIndexApplies(G().DataDbPath)) return {};
    auto *indexing = static_cast<SearchIndexing *>(searchIndexing_);
    if (!indexing) {
        indexing = new SearchIndexing(this);
        searchIndexing_ = indexing;
        connect(&indexing->timer, &QTimer::timeout, this, &TqenMain::ShowSearchIndexing);
    }
    // A few waiting reports are indexed before this returns; many on the
    // thread, while the screen is in use.
    indexing->indexer.start(G().DataDbPath);
    if (indexing->indexer.running()) indexing->timer.start();
    ShowSearchIndexing();
    return indexing->indexer.running() ? Error() : indexing->indexer.error();
}

void TqenMain::ShowSearchIndexing() {
    auto *indexing = static_cast<SearchIndexing *>(searchIndexing_);
    if (!indexing || !indexing->indexer.running()) {
        if (indexing) indexing->timer.stop();
        lbl索引->clear();
        lbl索引->hide();
        return;
    }
    const qlonglong total = indexing->indexer.total(), done = indexing->indexer.done();
    const int percent = total > 0 ? int(done * 100 / total) : 0;
    lbl索引->setText(QStringLiteral("検索用の索引を作成中です（%1%）。終わるまでは、検索に時間がかかることがあります。").arg(percent));
    lbl索引->show();
}

void TqenMain::cmd検索_Click() {
    showSearchFilter();
    lst検索結果->clear();
    const QString typed = txt検索->text().trimmed();
    if (typed.isEmpty()) {
        lbl件数->clear();
        txt検索->setFocus();
        return;
    }
    // Half of a character would match every other half as U+FFFD.
    if (text::loneSurrogateAt(typed) >= 0) {
        forms::interaction().messageBox(this,
                                        QStringLiteral("検索する言葉に、文字の半分だけが入っています。その文字を消して入力し直してください。"),
                                        forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        txt検索->setFocus();
        return;
    }
    dao::SearchRequest request;
    request.text = typed;
    if (chk絞り込み->isChecked()) {
        request.customer = cmb顧客名->Text();
        request.staff = cmb担当->Text();
    }
    // A file from before the index (a restored or chosen older file) gets
    // it, and reports imported by another program are indexed: a few at
    // once, many in the background while this search reads them as they
    // are. Without the index the search is right but slow.
    searchIndexError_ = PrepareSearchIndex();
    dao::SearchResult result;
    showProgress(Msg検索中);
    const Error error = dao::searchReports(G().DataDbPath, request, &result);
    const QString term = text::fold(typed);
    const QString format = DayFormatFor(G().Env.年号);
    for (const dao::SearchHit &hit : std::as_const(result.hits)) {
        QString place;
        for (const QString *field : {&hit.title, &hit.memo, &hit.customer}) {
            place = text::context(*field, term, 5, 24);
            if (!place.isEmpty()) break;
        }
        auto *item = new QTreeWidgetItem(lst検索結果, {FormatDate(hit.day, format), hit.customer, hit.staff, hit.title, place});
        item->setData(DayColumn, kDayRole, hit.day);
        item->setToolTip(PlaceColumn, place);
    }
    hideProgress(Msg検索中);
    // Long customer names and titles leave room for the place of the match.
    for (int c = DayColumn; c < PlaceColumn; ++c) {
        lst検索結果->resizeColumnToContents(c);
        if (c != DayColumn) lst検索結果->setColumnWidth(c, std::min(lst検索結果->columnWidth(c), 150));
    }
    QString count = result.hits.isEmpty() ? QStringLiteral("見つかりません")
                                          : QStringLiteral("%1 件").arg(result.hits.size());
    if (result.more) count = QStringLiteral("新しい順に %1 件（ほかにもあります）").arg(result.hits.size());
    // Why the index could not be made is told where the note is.
    if (result.method == dao::SearchMethod::Unindexed)
        count += QStringLiteral("　※検索用の索引を作れなかったため、時間がかかります。");
    lbl件数->setToolTip(result.method == dao::SearchMethod::Unindexed ? searchIndexError_.message() : QString());
    lbl件数->setText(count);
    lst検索結果->setAccessibleDescription(count);
    if (!error.ok()) {
        failed(error, forms::mb::Exclamation);
        return;
    }
    if (lst検索結果->topLevelItemCount() > 0) {
        lst検索結果->setCurrentItem(lst検索結果->topLevelItem(0));
        lst検索結果->setFocus();
    }
}

void TqenMain::OpenSearchHit(QTreeWidgetItem *item) {
    if (!item) return;
    const QDate day = item->data(DayColumn, kDayRole).toDate();
    if (!day.isValid()) return;
    if (!keepTypedEntry()) return;
    cmb顧客名->setText(item->text(CustomerColumn));
    cmb担当->setText(item->text(StaffColumn));
    // The calendar turns to the report's month, marked for this customer
    // and staff member, and the entry shows the day.
    G().CalendarDate = day;
    SetClalendar();
    SetMarkDate();
    txt日付->setValue(day);
    SSTab1->setCurrentIndex(1);
    ReadNippo();
}

}  // namespace tqen
