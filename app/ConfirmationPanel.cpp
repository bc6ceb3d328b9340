#include "app/ConfirmationPanel.h"

#include "model/CodeTable.h"
#include "platform/forms/Interaction.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tqen {


ConfirmDialog::ConfirmDialog(QWidget *parent, const QStringList &staff, const QString &confirmer, const QString &what)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlg確認"));
    setWindowTitle(QStringLiteral("確認"));
    auto *form = new QFormLayout(this);
    form->addRow(new QLabel(what, this));
    confirmer_ = new QComboBox(this);
    confirmer_->setObjectName(QStringLiteral("cmb確認者"));
    confirmer_->setAccessibleName(QStringLiteral("確認者"));
    confirmer_->addItems(staff);
    // A confirmer since removed from the code table still shows, so the
    // choice is visibly to be made again (confirming refuses it).
    if (!confirmer.isEmpty() && !staff.contains(confirmer)) confirmer_->addItem(confirmer);
    if (!confirmer.isEmpty()) confirmer_->setCurrentText(confirmer);
    form->addRow(QStringLiteral("確認者(&W)"), confirmer_);
    comment_ = new QPlainTextEdit(this);
    comment_->setObjectName(QStringLiteral("txt確認コメント入力"));
    comment_->setAccessibleName(QStringLiteral("コメント"));
    comment_->setTabChangesFocus(true);
    form->addRow(QStringLiteral("コメント(&C)"), comment_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("確認"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    comment_->setFocus();
}

QString ConfirmDialog::confirmer() const { return confirmer_->currentText(); }
QString ConfirmDialog::comment() const { return comment_->toPlainText(); }
void ConfirmDialog::setComment(const QString &text) { comment_->setPlainText(text); }

ConfirmationPanel::ConfirmationPanel(QWidget *parent, std::function<QString()> dataDbPath)
    : QWidget(parent), dataDbPath_(std::move(dataDbPath)) {
    setObjectName(QStringLiteral("CnConfirmation"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("lbl確認状態"));
    state_->setAccessibleName(QStringLiteral("確認の状態"));
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    confirm_ = new QPushButton(QStringLiteral("確認"), this);
    confirm_->setObjectName(QStringLiteral("cmd確認"));
    confirm_->setAccessibleName(QStringLiteral("確認"));
    confirm_->setToolTip(QStringLiteral("表示している日報を確認済にします (Ctrl+K)"));
    confirm_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    confirm_->setAutoDefault(false);
    comments_ = new QPlainTextEdit(this);
    comments_->setObjectName(QStringLiteral("txt確認コメント"));
    comments_->setAccessibleName(QStringLiteral("確認のコメント"));
    comments_->setReadOnly(true);
    comments_->setTabChangesFocus(true);
    comments_->setFocusPolicy(Qt::ClickFocus);
    comments_->setMaximumHeight(comments_->fontMetrics().lineSpacing() * 4 + 12);
    grid->addWidget(state_, 0, 0);
    grid->addWidget(confirm_, 0, 1);
    grid->addWidget(comments_, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    connect(confirm_, &QPushButton::clicked, this, &ConfirmationPanel::confirmShown);
    showReport(std::nullopt);
}

void ConfirmationPanel::showReport(const std::optional<model::ReportKey> &key, const QString &title, const QString &memo) {
    if (key != key_) pendingComment_.clear();
    key_ = key;
    seen_ = key ? model::Confirmations::fingerprint(title, memo) : QByteArray();
    refresh();
}

void ConfirmationPanel::refresh() {
    confirm_->setEnabled(key_.has_value());
    if (!key_) {
        state_->clear();
        comments_->clear();
        comments_->setVisible(false);
        return;
    }
    Error error;
    const model::ReportConfirmation c = model::Confirmations::stateOf(dataDbPath_(), *key_, &error);
    if (!error.ok()) {
        state_->setText(QStringLiteral("確認の状態を読めません"));
        comments_->clear();
        comments_->setVisible(false);
        return;
    }
    state_->setText(QStringLiteral("確認: ") + model::Confirmations::describe(c));
    QStringList lines;
    for (const model::Confirmation &h : c.history)
        if (!h.comment.isEmpty())
            lines << QStringLiteral("%1 %2: %3").arg(h.at.toString(QStringLiteral("yyyy/MM/dd HH:mm")), h.confirmer, h.comment);
    comments_->setPlainText(lines.join(u'\n'));
    comments_->setVisible(!lines.isEmpty());
}

QString ConfirmationPanel::stateText() const { return state_->text(); }
QString ConfirmationPanel::commentsText() const { return comments_->toPlainText(); }

void ConfirmationPanel::confirmShown() {
    if (!key_) return;
    const model::ReportKey key = *key_;
    const QString path = dataDbPath_();
    Error error;
    const QStringList staff = model::CodeTable::names(path, QStringLiteral("担当"), &error);
    if (!error.ok()) {
        forms::showError(this, error);
        return;
    }
    ConfirmDialog dialog(window(), staff, model::Confirmations::confirmer(),
                         QStringLiteral("%1  %2  %3").arg(key.day.toString(QStringLiteral("yyyy/MM/dd")), key.customer, key.staff));
    dialog.setComment(pendingComment_);
    // A refused confirmer or comment opens the dialog again with what was
    // typed; nothing typed is lost until it is written or cancelled.
    for (;;) {
        if (dialog.exec() != QDialog::Accepted) {
            pendingComment_ = dialog.comment();
            return;
        }
        const QString who = dialog.confirmer();
        if (who != model::Confirmations::confirmer() && !who.isEmpty())
            if (Error e = model::Confirmations::setConfirmer(who); !e.ok()) forms::showError(this, e, forms::mb::Exclamation);
        model::Session session;
        session.dataDbPath = path;
        const Error e = model::Confirmations::confirm(session, key, who, dialog.comment(), seen_);
        if (e.ok()) break;
        forms::showError(this, e, forms::mb::Exclamation);
        if (e.code() != Error::Code::BadInput) {
            pendingComment_ = dialog.comment();
            refresh();
            return;
        }
    }
    pendingComment_.clear();
    refresh();
    emit confirmed(key.day);
}

}  // namespace tqen
