#include "platform/forms/QtInteraction.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

namespace tqen::forms {

namespace {

QMessageBox::StandardButton qtButton(int answer) {
    switch (answer) {
    case mb::IdOK: return QMessageBox::Ok;
    case mb::IdCancel: return QMessageBox::Cancel;
    case mb::IdAbort: return QMessageBox::Abort;
    case mb::IdRetry: return QMessageBox::Retry;
    case mb::IdIgnore: return QMessageBox::Ignore;
    case mb::IdYes: return QMessageBox::Yes;
    case mb::IdNo: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QString buttonText(int answer) {
    switch (answer) {
    case mb::IdOK: return QStringLiteral("OK");
    case mb::IdCancel: return QStringLiteral("キャンセル");
    case mb::IdAbort: return QStringLiteral("中止(&A)");
    case mb::IdRetry: return QStringLiteral("再試行(&R)");
    case mb::IdIgnore: return QStringLiteral("無視(&I)");
    case mb::IdYes: return QStringLiteral("はい(&Y)");
    case mb::IdNo: return QStringLiteral("いいえ(&N)");
    }
    return {};
}

QString filterText(const FileDialogOptions &options, QString *selected) {
    QStringList parts;
    for (qsizetype i = 0; i < options.filters.size(); ++i) {
        QString f = options.filters[i];
        parts << f;
        if (i + 1 == options.filterIndex) *selected = f;
    }
    return parts.join(QStringLiteral(";;"));
}

}  // namespace

int QtInteraction::messageBox(QWidget *owner, const QString &prompt, int style, const QString &title) {
    QMessageBox box(owner);
    box.setWindowTitle(title);
    box.setText(prompt);
    switch (style & 0xf0) {
    case mb::Critical: box.setIcon(QMessageBox::Critical); break;
    case mb::Question: box.setIcon(QMessageBox::Question); break;
    case mb::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case mb::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    const QList<int> answers = mb::buttonsOf(style);
    for (int answer : answers) {
        QPushButton *b = box.addButton(qtButton(answer));
        b->setText(buttonText(answer));
        if (answer == mb::defaultAnswer(style)) box.setDefaultButton(b);
    }
    box.setEscapeButton(box.button(qtButton(mb::closeAnswer(style))));
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (int answer : answers)
        if (qtButton(answer) == clicked) return answer;
    return mb::closeAnswer(style);
}

bool QtInteraction::openFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen) {
    QString selected;
    const QString filter = filterText(options, &selected);
    const QString path = QFileDialog::getOpenFileName(owner, options.title, dialogStartPath(options), filter, &selected);
    if (path.isEmpty()) return false;
    *chosen = path;
    return true;
}

bool QtInteraction::saveFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen,
                                   int *chosenFilter) {
    QString selected;
    const QString filter = filterText(options, &selected);
    const QString start = dialogStartPath(options);
    // The caller asks before it replaces a file (the shell's copy, a save),
    // so the dialog does not.
    const QString path = QFileDialog::getSaveFileName(owner, options.title, start, filter, &selected,
                                                      QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return false;
    *chosen = path;
    if (chosenFilter) *chosenFilter = int(options.filters.indexOf(selected)) + 1;
    return true;
}

bool QtInteraction::askPassword(QWidget *owner, const QString &prompt, const QString &title, QString *typed) {
    QInputDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setInputMethodHints(Qt::ImhSensitiveData | Qt::ImhNoPredictiveText | Qt::ImhHiddenText);
    dialog.setAccessibleName(title);
    if (dialog.exec() != QDialog::Accepted) return false;
    *typed = dialog.textValue();
    return true;
}

bool QtInteraction::askWithText(QWidget *owner, const QString &prompt, const QString &label, const QString &title,
                                QString *typed) {
    QDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setAccessibleName(title);
    auto *form = new QFormLayout(&dialog);
    auto *question = new QLabel(prompt, &dialog);
    question->setWordWrap(true);
    form->addRow(question);
    auto *text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("txtAskText"));
    text->setAccessibleName(label);
    text->setTabChangesFocus(true);
    text->setPlainText(*typed);
    form->addRow(label, text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, &dialog);
    buttons->button(QDialogButtonBox::No)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    text->setFocus();
    if (dialog.exec() != QDialog::Accepted) return false;
    *typed = text->toPlainText();
    return true;
}

bool QtInteraction::shellOpen(const QString &target) {
    QUrl url = QUrl::fromUserInput(target);
    if (QFileInfo::exists(target)) url = QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}

}  // namespace tqen::forms
