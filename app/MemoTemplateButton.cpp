#include "app/MemoTemplateButton.h"

#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"

#include <QMenu>

namespace tqen {

MemoTemplateButton::MemoTemplateButton(forms::TextBox *memo, std::function<QString()> dataDbPath, QWidget *parent)
    : QToolButton(parent), memo_(memo), dataDbPath_(std::move(dataDbPath)) {
    setObjectName(QStringLiteral("cmdテンプレート"));
    setText(QStringLiteral("テンプレート"));
    setAccessibleName(QStringLiteral("メモのテンプレート (Ctrl+T)"));
    setToolTip(QStringLiteral("空のメモにテンプレートを入れます (Ctrl+T)"));
    setPopupMode(QToolButton::InstantPopup);
    setFocusPolicy(Qt::StrongFocus);
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuテンプレート"));
    setMenu(menu);
    // Read each time it opens: another PC or the maintenance form may have
    // changed them.
    connect(menu, &QMenu::aboutToShow, this, &MemoTemplateButton::reload);
}

void MemoTemplateButton::reload() {
    Error error;
    offered_ = model::MemoTemplates::list(dataDbPath_(), nullptr, &error);
    QMenu *m = menu();
    m->clear();
    if (!error.ok()) {
        m->addAction(error.text())->setEnabled(false);
        return;
    }
    if (offered_.isEmpty()) {
        m->addAction(QStringLiteral("テンプレートがありません（保守で作れます）"))->setEnabled(false);
        return;
    }
    for (int i = 0; i < offered_.size(); ++i) {
        // The first nine have a digit key.
        const QString caption = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(offered_[i].name) : offered_[i].name;
        QAction *a = m->addAction(caption);
        a->setObjectName(QStringLiteral("actテンプレート%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { insert(i); });
    }
}

bool MemoTemplateButton::insert(int index) {
    if (index < 0 || index >= offered_.size()) return false;
    if (!memo_->Text().trimmed().isEmpty()) {
        forms::interaction().messageBox(
            window(),
            QStringLiteral("メモに入力があるため、テンプレート「%1」は入れませんでした。\n"
                           "テンプレートは空のメモにだけ入ります。入力した内容はそのままです。")
                .arg(offered_[index].name),
            forms::mb::OK | forms::mb::Information, forms::programTitle());
        memo_->SetFocus();
        return false;
    }
    memo_->setText(offered_[index].text);
    memo_->SetFocus();
    emit inserted();
    return true;
}

}  // namespace tqen
