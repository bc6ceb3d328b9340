#pragma once
// "元に戻す" of a deletion of reports, as the main screen, the report list and
// the maintenance form offer it: asks before putting the deletion back, asks
// again when some of its reports were registered anew since (replace them,
// keeping the new ones as a deletion, or put back only the others), and
// tells what happened. The data work is the model's.
#include "model/DeletedReports.h"

#include <optional>

class QWidget;

namespace tqen {

struct UndoResult {
    bool done = false;                         // something was put back
    model::DeletedReports::Restored restored;
    std::optional<model::ReportKey> only;      // the one report put back, when it was one
};

// Puts the deletion back after the user's yes; failures are shown.
UndoResult UndoDeletion(QWidget *owner, const QString &dataDbPath, const model::DeletedReports::Deletion &deletion);

// The newest deletion of the data database, if any (a failure to read reads
// as none).
std::optional<model::DeletedReports::Deletion> LastDeletion(const QString &dataDbPath);

}  // namespace tqen
