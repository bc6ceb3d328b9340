#include "templates/FrmTemplate.h"

#include "platform/forms/Accessible.h"
#include "platform/forms/Interaction.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tqen {

FrmTemplate::FrmTemplate(std::function<QString()> dataDbPath, QWidget *parent)
    : forms::Form(QStringLiteral("FrmTemplate"), parent), dataDbPath_(std::move(dataDbPath)) {
    setWindowTitle(QStringLiteral("メモのテンプレート"));
    resize(720, 480);
    auto *grid = new QGridLayout(this);
    lstテンプレート = new QListWidget(this);
    lstテンプレート->setObjectName(QStringLiteral("lstテンプレート"));
    lstテンプレート->setAccessibleName(QStringLiteral("テンプレートの一覧"));
    txt名前 = new QLineEdit(this);
    txt名前->setObjectName(QStringLiteral("txt名前"));
    txt名前->setMaxLength(model::MemoTemplates::MaxName);
    txt本文 = new QPlainTextEdit(this);
    txt本文->setObjectName(QStringLiteral("txt本文"));
    txt本文->setTabChangesFocus(true);
    lbl状態 = new QLabel(this);
    lbl状態->setObjectName(QStringLiteral("lbl状態"));
    lbl状態->setWordWrap(true);
    cmd追加 = forms::button(this, QStringLiteral("cmd追加"), QStringLiteral("追加"), QStringLiteral("テンプレートを追加する"));
    cmd削除 = forms::button(this, QStringLiteral("cmd削除"), QStringLiteral("削除"), QStringLiteral("選んだテンプレートを削除する"));
    cmd上へ = forms::button(this, QStringLiteral("cmd上へ"), QStringLiteral("上へ"), QStringLiteral("選んだテンプレートを上へ移す"));
    cmd下へ = forms::button(this, QStringLiteral("cmd下へ"), QStringLiteral("下へ"), QStringLiteral("選んだテンプレートを下へ移す"));
    cmd保存 = forms::button(this, QStringLiteral("cmd保存"), QStringLiteral("保存"), QStringLiteral("テンプレートを保存する"));
    cmd閉じる = forms::button(this, QStringLiteral("cmd閉じる"), QStringLiteral("閉じる"));

    auto *left = new QVBoxLayout;
    left->addWidget(forms::fieldLabel(QStringLiteral("テンプレート"), lstテンプレート, this));
    left->addWidget(lstテンプレート, 1);
    auto *moves = new QHBoxLayout;
    for (QPushButton *b : {cmd追加, cmd削除, cmd上へ, cmd下へ}) moves->addWidget(b);
    left->addLayout(moves);
    auto *right = new QVBoxLayout;
    right->addWidget(forms::fieldLabel(QStringLiteral("名前"), txt名前, this));
    right->addWidget(txt名前);
    right->addWidget(forms::fieldLabel(QStringLiteral("本文"), txt本文, this));
    right->addWidget(txt本文, 1);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(0, 1);
    grid->addWidget(lbl状態, 1, 0, 1, 2);
    auto *bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(cmd保存);
    bar->addWidget(cmd閉じる);
    grid->addLayout(bar, 2, 0, 1, 2);

    connect(lstテンプレート, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_) return;
        takeTyped();
        current_ = row;
        showCurrent();
    });
    connect(txt名前, &QLineEdit::textEdited, this, [this] {
        takeTyped();
        if (current_ >= 0 && lstテンプレート->item(current_)) lstテンプレート->item(current_)->setText(working_[current_].name);
    });
    connect(txt本文, &QPlainTextEdit::textChanged, this, [this] {
        if (!showing_) takeTyped();
    });
    connect(cmd追加, &QPushButton::clicked, this, &FrmTemplate::cmd追加_Click);
    connect(cmd削除, &QPushButton::clicked, this, &FrmTemplate::cmd削除_Click);
    connect(cmd上へ, &QPushButton::clicked, this, [this] { move(-1); });
    connect(cmd下へ, &QPushButton::clicked, this, [this] { move(1); });
    connect(cmd保存, &QPushButton::clicked, this, &FrmTemplate::cmd保存_Click);
    connect(cmd閉じる, &QPushButton::clicked, this, &QWidget::close);
}

void FrmTemplate::Form_Load() {
    bool saved = false;
    Error error;
    working_ = model::MemoTemplates::list(dataDbPath_(), &saved, &error);
    dirty_ = false;
    if (!error.ok()) lbl状態->setText(error.message());
    else if (!saved) lbl状態->setText(QStringLiteral("事務所のテンプレートはまだ保存されていません。最初の組を出しています。"));
    else lbl状態->clear();
    showList(working_.isEmpty() ? -1 : 0);
}

// What is typed goes into the chosen template at once.
void FrmTemplate::takeTyped() {
    if (showing_ || current_ < 0 || current_ >= working_.size()) return;
    model::MemoTemplate &t = working_[current_];
    const QString name = txt名前->text(), text = txt本文->toPlainText();
    if (t.name == name && t.text == text) return;
    t.name = name;
    t.text = text;
    dirty_ = true;
}

void FrmTemplate::showList(int current) {
    showing_ = true;
    lstテンプレート->clear();
    for (const model::MemoTemplate &t : std::as_const(working_)) lstテンプレート->addItem(t.name);
    current_ = current;
    lstテンプレート->setCurrentRow(current);
    showing_ = false;
    showCurrent();
}

void FrmTemplate::showCurrent() {
    showing_ = true;
    const bool any = current_ >= 0 && current_ < working_.size();
    txt名前->setText(any ? working_[current_].name : QString());
    txt本文->setPlainText(any ? working_[current_].text : QString());
    showing_ = false;
    for (QWidget *w : {static_cast<QWidget *>(txt名前), static_cast<QWidget *>(txt本文), static_cast<QWidget *>(cmd削除)})
        w->setEnabled(any);
    cmd上へ->setEnabled(any && current_ > 0);
    cmd下へ->setEnabled(any && current_ < working_.size() - 1);
}

void FrmTemplate::cmd追加_Click() {
    takeTyped();
    working_ << model::MemoTemplate{QStringLiteral("新しいテンプレート%1").arg(working_.size() + 1), QString()};
    dirty_ = true;
    showList(int(working_.size()) - 1);
    txt名前->setFocus();
    txt名前->selectAll();
}

void FrmTemplate::cmd削除_Click() {
    if (current_ < 0 || current_ >= working_.size()) return;
    working_.removeAt(current_);
    dirty_ = true;
    showList(std::min(current_, int(working_.size()) - 1));
}

void FrmTemplate::move(int by) {
    takeTyped();
    const int to = current_ + by;
    if (current_ < 0 || to < 0 || to >= working_.size()) return;
    working_.swapItemsAt(current_, to);
    dirty_ = true;
    showList(to);
}

bool FrmTemplate::cmd保存_Click() {
    takeTyped();
    int at = -1;
    if (const QString why = model::MemoTemplates::problem(working_, &at); !why.isEmpty()) {
        // The template at fault is shown as typed, to be put right.
        showList(at);
        forms::interaction().messageBox(this, why, forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        return false;
    }
    if (const Error e = model::MemoTemplates::save(dataDbPath_(), working_); !e.ok()) {
        forms::interaction().messageBox(this, e.message(), forms::mb::OK | forms::mb::Critical, forms::programTitle());
        return false;
    }
    dirty_ = false;
    lbl状態->setText(QStringLiteral("保存しました（%1件）。").arg(working_.size()));
    return true;
}

void FrmTemplate::closeEvent(QCloseEvent *event) {
    takeTyped();
    if (dirty_) {
        const int answer = forms::interaction().messageBox(
            this, QStringLiteral("テンプレートの変更が保存されていません。\n保存しますか。\n\n「いいえ」で変更を破棄します。"),
            forms::mb::YesNoCancel | forms::mb::Question, forms::programTitle());
        if (answer == forms::mb::IdCancel || (answer == forms::mb::IdYes && !cmd保存_Click())) {
            event->ignore();
            return;
        }
    }
    forms::Form::closeEvent(event);
}

}  // namespace tqen
