#pragma once
// The forms the main screen opens, each not modal and one of a kind: the
// code table, the report list, the maintenance form and the submission
// status. One already open comes forward as it is.
#include "model/Session.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <optional>

namespace tqen {

class FormLauncher : public QObject {
    Q_OBJECT
public:
    // session: what the forms work on; it outlives the launcher.
    FormLauncher(model::Session &session, QObject *parent);

    // The code table; one closed with the window's button and shown again
    // reads its class anew.
    void codeTable();
    // The report list, handed a day, staff member and customer when given.
    void reportList(const std::optional<model::HandOver> &jump);
    void maintenance();
    // Who has reported in the month of a day; a chosen day with several
    // reports opens the list.
    void submissionStatus(const QDate &month);

signals:
    // The code table registered the staff class.
    void staffRegistered();
    // The maintenance form registered the settings (an open list takes the
    // date style after the screen).
    void settingsRegistered();
    // The submission status chose one report of a day.
    void dayChosen(const tqen::model::HandOver &report);

private:
    model::Session &session_;
};

}  // namespace tqen
