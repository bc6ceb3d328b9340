#pragma once
// Finds a control of a form by its name (its objectName), the way a test
// reaches into a screen: child<forms::DateBox>(form, "txt日付"). A missing
// control, or one of another type, fails the test at once with its name.
#include <gtest/gtest.h>

#include <QWidget>

#include <stdexcept>

namespace tqen::testing {

template <class T>
T *child(const QObject *form, const QString &name) {
    T *found = form->findChild<T *>(name);
    if (!found) {
        ADD_FAILURE() << "no control " << name.toStdString() << " of the wanted type in "
                      << form->objectName().toStdString();
        throw std::runtime_error("control not found: " + name.toStdString());
    }
    return found;
}

// Every control of a type whose name starts with a prefix, in the order of
// the number after it ("LblCald_0" … "LblCald_36").
template <class T>
QList<T *> children(const QObject *form, const QString &prefix) {
    QList<T *> out;
    for (int i = 0;; ++i) {
        T *found = form->findChild<T *>(prefix + QString::number(i));
        if (!found) break;
        out.append(found);
    }
    return out;
}

}  // namespace tqen::testing
