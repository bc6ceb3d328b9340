#pragma once
// The stack of the forms that opened another one: a form pushes its name
// when it opens the next, and the next pops it when it closes, bringing the
// opener back.
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tqen::forms {

// "PUSH" a form name on the stack of five (the oldest falls off) and answer
// true; "POP" the top name and, when there was one, restore the given form to
// its normal state, show it and answer true; when the stack was empty, show
// the main screen and answer false. An empty form name does
// nothing and answers Null.
QVariant FormStack(const QString &mode, const QString &form);
// The stack, top first (tests and diagnostics).
QStringList FormStackEntries();
void ResetFormStack();

}  // namespace tqen::forms
