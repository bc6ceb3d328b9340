// The main screen's search steps: a term, the entry's staff and customer as
// an optional filter, and the reports found, newest first. Choosing one
// shows that day's report in the entry tab.
#include "app/TqenMain.h"

#include "app/SearchTab.h"
#include "model/Settings.h"
#include "platform/dao/Search.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/text/Fold.h"

#include <QTabWidget>

namespace tqen {

void TqenMain::buildSearchTab() {
    searchTab_ = new SearchTab([this] { return SearchTab::Filter{cmb担当->Text(), cmb顧客名->Text()}; });
    SSTab1->addTab(searchTab_, QStringLiteral("検索"));
    connect(searchTab_, &SearchTab::searchClicked, this, &TqenMain::cmd検索_Click);
    connect(searchTab_, &SearchTab::hitActivated, this, &TqenMain::OpenSearchHit);
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (SSTab1->widget(index) != searchTab_) return;
        searchTab_->showSearchFilter();
        searchTab_->focusTerm();
    });
}

Error TqenMain::PrepareSearchIndex() { return searchTab_->startIndexing(session_.dataDbPath); }

void TqenMain::cmd検索_Click() {
    searchTab_->showSearchFilter();
    const QString typed = searchTab_->term();
    searchTab_->clearResults();
    if (typed.isEmpty()) {
        searchTab_->focusTerm();
        return;
    }
    // Half of a character would match every other half as U+FFFD.
    if (text::loneSurrogateAt(typed) >= 0) {
        forms::interaction().messageBox(this,
                                        QStringLiteral("検索する言葉に、文字の半分だけが入っています。その文字を消して入力し直してください。"),
                                        forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        searchTab_->focusTerm();
        return;
    }
    dao::SearchRequest request;
    request.text = typed;
    const SearchTab::Filter filter = searchTab_->filter();
    request.customer = filter.customer;
    request.staff = filter.staff;
    // A file from before the index (a restored or chosen older file) gets
    // it, and reports imported by another program are indexed: a few at
    // once, many in the background while this search reads them as they
    // are. Without the index the search is right but slow.
    searchIndexError_ = PrepareSearchIndex();
    dao::SearchResult result;
    showProgress(Msg検索中);
    const Error error = dao::searchReports(session_.dataDbPath, request, &result);
    searchTab_->showResults(result, typed, DayFormatFor(session_.env.年号), searchIndexError_);
    hideProgress(Msg検索中);
    if (!error.ok()) failed(error, forms::mb::Exclamation);
}

void TqenMain::OpenSearchHit(const QDate &day, const QString &customer, const QString &staff) {
    if (!day.isValid()) return;
    if (!keepTypedEntry()) return;
    cmb顧客名->setText(customer);
    cmb担当->setText(staff);
    // The calendar turns to the report's month, marked for this customer
    // and staff member, and the entry shows the day.
    calendarDate_ = day;
    SetClalendar();
    SetMarkDate();
    txt日付->setValue(day);
    SSTab1->setCurrentIndex(1);
    ReadNippo();
}

}  // namespace tqen
