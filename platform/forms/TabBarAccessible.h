#pragma once
// The tab bars of the forms as screen readers see them: a page tab list whose
// tabs say which one is selected, and switch when pressed.
class QAccessibleInterface;
class QObject;
class QString;

namespace tqen::forms {

// The accessibility factory for QTabBar (installed with the forms' own).
QAccessibleInterface *tabBarAccessible(const QString &className, QObject *object);

}  // namespace tqen::forms
