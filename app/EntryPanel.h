#pragma once
// The main screen's tab "営業日報": the entry boxes (date, staff, customer,
// reading, title, memo), the next step and the memo templates under the
// memo, the report's confirmation, and the steps that show, check, register
// and delete the report of a day, customer and staff member. The screen
// around it turns the calendar and fills the lists when it says a report
// was registered or deleted.
#include "model/Session.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

namespace tqen::forms {
class ComboBox;
class DateBox;
class FramedPanel;
class TextBox;
}  // namespace tqen::forms

namespace tqen {

class ConfirmationPanel;
class MemoTemplateButton;
class NextStepPanel;

class EntryPanel : public QWidget {
    Q_OBJECT
public:
    // session: the data database written and the settings remembered; it
    // belongs to the screen and outlives the panel.
    explicit EntryPanel(model::Session &session, QWidget *parent = nullptr);
    ~EntryPanel() override;

    // Called during a registration between looking up the report (or the
    // customer) and writing it (a diagnostic hook; the race tests use it to
    // hold two programs in that gap at once).
    static void setLookupObserver(std::function<void()> observer);

    // The report of the boxes' day, customer and staff member, shown.
    void ReadNippo();
    // Whether the boxes may be registered; tells the user and puts the
    // cursor on the box that may not.
    bool CheckNippo();
    // Registers the entry after asking (without asking when confirm is
    // false); true when the report was registered.
    bool EntryNippo(bool confirm = true);
    // Deletes the report of the boxes' day, customer and staff member
    // (kept for "元に戻す"); true when it was deleted.
    bool DeleteNippo();
    // Before typed text would be replaced (another day, closing): when the
    // title or memo was edited since it was last shown or registered, asks
    // once whether to register it, discard it or stay. True when the action
    // may go on.
    bool keepTypedEntry();
    // The remembered staff member, customer and reading in their boxes.
    void ReadLocalEnv();

    // Every box empty.
    void blank();
    // The title, reading, memo and date empty.
    void blankTexts();
    // No report shown: the title, memo, confirmation and next step empty.
    void clearReport();
    void applyDateStyle(const QString &eraMode);
    // The staff and customer boxes offer these names; typed text stays.
    void setStaffNames(const QStringList &names);
    void setCustomerNames(const QStringList &names);
    // The template menu (Ctrl+T).
    void showTemplates();

    QDate day() const;
    QString dayText() const;
    QString staff() const;
    QString customer() const;
    void setDay(const QVariant &day);
    void setStaff(const QString &name);
    void setCustomer(const QString &name);
    void setReading(const QString &reading);

signals:
    // A step reads or writes the data database: a note says so until idle.
    void busy(const QString &note);
    void idle();
    // A step of a registration or deletion failed; style is the message
    // box's icon.
    void failed(const tqen::Error &error, int style);
    // The boxes' report was registered or deleted: the screen blanks and
    // marks its days again.
    void registered();
    void deleted();
    // The shown report was confirmed.
    void confirmed();

private:
    void build();

    model::Session &session_;
    forms::FramedPanel *ImFrame3D3 = nullptr;
    forms::DateBox *txt日付 = nullptr;
    forms::ComboBox *cmb担当 = nullptr;
    forms::ComboBox *cmb顧客名 = nullptr;
    forms::TextBox *txtふりがな = nullptr;
    forms::TextBox *txtタイトル = nullptr;
    forms::TextBox *txtメモ = nullptr;
    NextStepPanel *nextStep_ = nullptr;          // under the memo
    MemoTemplateButton *templates_ = nullptr;    // under the memo's label
    ConfirmationPanel *confirmation_ = nullptr;  // under the next step
    bool entryEdited_ = false;
    // Longest name (staff, customer, reading) a report takes: what the indexes
    // of the data file and of a server both hold.
    static constexpr int kMaxNameLength = 255;
};

}  // namespace tqen
