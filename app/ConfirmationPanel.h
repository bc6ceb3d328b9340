#pragma once
// Under the memo of the main screen: whether the shown report was confirmed
// (未確認 / 確認済 with who and when / 確認後に変更), the comments written
// back to it, read-only, and the "確認" button (Ctrl+K) that confirms the
// shown report with an optional comment. The person who confirms is chosen
// in the same small dialog and remembered on this PC.
#include "model/Confirmations.h"

#include <QByteArray>
#include <QDialog>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tqen {

// The confirmation dialog: who confirms (the staff list) and a comment.
class ConfirmDialog : public QDialog {
    Q_OBJECT
public:
    ConfirmDialog(QWidget *parent, const QStringList &staff, const QString &confirmer, const QString &what);
    QString confirmer() const;
    QString comment() const;
    void setComment(const QString &text);

    QComboBox *confirmerBox() const { return confirmer_; }
    QPlainTextEdit *commentBox() const { return comment_; }

private:
    QComboBox *confirmer_ = nullptr;     // "cmb確認者"
    QPlainTextEdit *comment_ = nullptr;  // "txt確認コメント入力"
};

class ConfirmationPanel : public QWidget {
    Q_OBJECT
public:
    // dataDbPath gives the data database in use at each step.
    ConfirmationPanel(QWidget *parent, std::function<QString()> dataDbPath);

    // Shows the state of a report as it was read (its title and memo), or
    // nothing when no report is shown.
    void showReport(const std::optional<model::ReportKey> &key, const QString &title = {}, const QString &memo = {});
    // Reads the shown report's state again (another PC may have confirmed it).
    void refresh();
    // Confirms the shown report (the button and Ctrl+K).
    void confirmShown();

    QPushButton *confirmButton() const { return confirm_; }
    QString stateText() const;
    QString commentsText() const;

signals:
    // A confirmation was written: the calendar's marks change.
    void confirmed(const QDate &day);

private:
    std::function<QString()> dataDbPath_;
    std::optional<model::ReportKey> key_;
    QByteArray seen_;                 // fingerprint of the report as shown
    QString pendingComment_;          // a comment not yet written (kept across a failure)
    QLabel *state_ = nullptr;         // "lbl確認状態"
    QPlainTextEdit *comments_ = nullptr;  // "txt確認コメント"
    QPushButton *confirm_ = nullptr;  // "cmd確認"
};

}  // namespace tqen
