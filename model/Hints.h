#pragma once
// Hints: a free text attached to one control of one form, kept in TqHint of
// the data database as fixed at start-up and addressed by the form name and
// the control name.
#include "platform/error/Error.h"

#include <QString>

namespace tqen::model::Hints {

// The stored hint of a control; null when there is none (or it is Null).
QString read(const QString &hintDbPath, const QString &formName, const QString &ctlName, Error *error = nullptr);

// Replaces the stored hint of a control with this text, in one transaction.
Error store(const QString &hintDbPath, const QString &formName, const QString &ctlName, const QString &formTitle,
            const QString &contents);

// Deletes the stored hint of a control.
Error remove(const QString &hintDbPath, const QString &formName, const QString &ctlName);

}  // namespace tqen::model::Hints
