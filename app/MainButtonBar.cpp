#include "app/MainButtonBar.h"

#include "platform/forms/Accessible.h"

#include <QPushButton>

namespace tqen {

MainButtonBar::MainButtonBar(QWidget *form) {
    setSpacing(6);
    const struct Def {
        const char *name, *text, *tip;
        char key;
    } defs[] = {
        {"cmd登録", "登録", "メモを登録します", 'S'},
        {"cmd削除", "削除", "その日付のメモを削除します", 'D'},
        {"cmd元に戻す", "元に戻す", "最後に削除した営業日報を元に戻します (Ctrl+Z)", '\0'},
        {"cmdクリア", "クリア", "この画面を白紙にします", 'C'},
        {"cmd読込", "読込", "", 'L'},
        {"cmd印刷", "印刷", "日報を印刷します", 'P'},
        {"Command3", "一覧", "", 'I'},
        {"Command5", "コード表", "", 'T'},
        {"Command11", "保守", "", 'M'},
        {"cmdHint", "ヘルプ", "", 'H'},
        {"cmd提出状況", "提出状況", "担当ごとの日報の提出状況を表示します", 'J'},
        {"cmd閉じる", "閉じる", "ソフトを終了します", 'X'},
    };
    for (const Def &d : defs) {
        const QString name = QString::fromUtf8(d.name), text = QString::fromUtf8(d.text);
        QPushButton *b = forms::button(form, name, text, QString(), QString::fromUtf8(d.tip));
        b->setMinimumHeight(32);
        if (d.key) b->setText(QStringLiteral("%1(&%2)").arg(text, QChar::fromLatin1(d.key)));
        if (name == QStringLiteral("cmd閉じる")) addStretch(1);
        addWidget(b);
    }
    QPushButton *undo = button(QStringLiteral("cmd元に戻す"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(false);
}

QPushButton *MainButtonBar::button(const QString &name) const {
    for (int i = 0; i < count(); ++i)
        if (auto *b = qobject_cast<QPushButton *>(itemAt(i)->widget()); b && b->objectName() == name) return b;
    return nullptr;
}

void MainButtonBar::insertBefore(QPushButton *button, QWidget *control) { insertWidget(indexOf(button), control); }

}  // namespace tqen
