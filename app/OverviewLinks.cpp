#include "app/OverviewLinks.h"

#include "app/CustomerIndexTab.h"
#include "app/SearchTab.h"
#include "figures/FrmSyukei.h"
#include "history/FrmKarte.h"
#include "platform/forms/Accessible.h"

#include <QPushButton>

namespace tqen {

QPushButton *linkOverview(QWidget *owner, model::Session &session, CustomerIndexTab *index, SearchTab *search) {
    QObject::connect(index, &CustomerIndexTab::historyClicked, owner, [index, &session] {
        const QVariant name = index->chosenName();
        FrmKarte::Open(session, name.isNull() ? QString() : name.toString());
    });
    QObject::connect(search, &SearchTab::historyRequested, owner, [&session](const QString &customer) { FrmKarte::Open(session, customer); });
    QPushButton *b = forms::button(owner, QStringLiteral("cmd集計"), QStringLiteral("集計(&Y)"), QString(),
                                   QStringLiteral("期間の日報を担当者別・顧客別に集計し、グラフにします"));
    b->setAccessibleName(QStringLiteral("集計"));
    b->setMinimumHeight(32);
    QObject::connect(b, &QPushButton::clicked, owner, [&session] { FrmSyukei::Open(session); });
    return b;
}

}  // namespace tqen
