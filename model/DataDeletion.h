#pragma once
// The bulk deletions of the maintenance form: every customer, every report,
// every name of the code table, or all of them, each in one transaction of
// the data database, so a failure half-way deletes nothing. Deleted reports
// are kept as one deletion that can be put back.
#include "platform/error/Error.h"

#include <QFlags>
#include <QString>

namespace tqen::model::DataDeletion {

enum class Part { Customers = 1, Reports = 2, CodeNames = 4 };
Q_DECLARE_FLAGS(Parts, Part)

// Deletes the parts named; `what` names them in the user's words (also in
// the error's text and as the kept deletion's description). Code names are
// freed (their slots stay).
Error deleteAll(const QString &dataDbPath, Parts parts, const QString &what);

}  // namespace tqen::model::DataDeletion

Q_DECLARE_OPERATORS_FOR_FLAGS(tqen::model::DataDeletion::Parts)
