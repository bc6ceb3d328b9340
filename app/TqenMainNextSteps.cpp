// The main screen's next steps and memo templates: the row under the memo,
// the template button beside it (Ctrl+T), the tab "予定" and the calendar's
// planned days. The widgets do the work; these steps place and connect them.
#include "app/TqenMain.h"

#include "app/MemoTemplateButton.h"
#include "app/MonthCalendar.h"
#include "app/NextStepPanel.h"
#include "app/NextStepsTab.h"
#include "core/Globals.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/TextBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QShortcut>
#include <QTabWidget>

namespace tqen {

void TqenMain::buildNextSteps(QGridLayout *entry, int row) {
    QWidget *tab = entry->parentWidget();
    nextStep_ = new NextStepPanel(tab);
    entry->addWidget(forms::fieldLabel(QStringLiteral("次回予定"), nextStep_->first(), tab), row, 0);
    entry->addWidget(nextStep_, row, 1);
    // The template button sits under the memo's label.
    templates_ = new MemoTemplateButton(txtメモ, [] { return G().DataDbPath; }, tab);
    entry->addWidget(templates_, row - 1, 0, Qt::AlignBottom | Qt::AlignLeft);
    setTabOrder(txtメモ, templates_);
    setTabOrder(templates_, nextStep_->first());
    setTabOrder(nextStep_->first(), nextStep_->last());
    connect(nextStep_, &NextStepPanel::edited, this, [this] { entryEdited_ = true; });
    connect(templates_, &MemoTemplateButton::inserted, this, [this] { entryEdited_ = true; });
    auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    key->setObjectName(QStringLiteral("keyテンプレート"));
    connect(key, &QShortcut::activated, this, [this] {
        SSTab1->setCurrentIndex(1);
        templates_->showMenu();
    });
}

void TqenMain::buildNextStepsTab() {
    stepsTab_ = new NextStepsTab([this] { return NextStepsTab::Context{G().DataDbPath, cmb担当->Text()}; });
    stepsTab_->setObjectName(QStringLiteral("tab予定"));
    SSTab1->addTab(stepsTab_, QStringLiteral("予定"));
    connect(stepsTab_, &NextStepsTab::stepActivated, this, &TqenMain::OpenSearchHit);
    connect(stepsTab_, &NextStepsTab::stepsChanged, this, &TqenMain::markPlannedDays);
}

void TqenMain::markPlannedDays() {
    NextStepsTab::markPlannedDays(*calendar_, G().DataDbPath, cmb担当->Text(), cmb顧客名->Text());
}

}  // namespace tqen
