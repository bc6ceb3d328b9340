#pragma once
// A form laid out in twips that grows: at its designed size every control
// stands where the twips table puts it; a larger window moves the controls
// anchored to its right or bottom edge by the extra size and widens or
// lengthens those that take it (the grid, the text). The window never gets
// smaller than designed.
#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>

#include <initializer_list>
#include <utility>

class QWidget;

namespace tqen::forms {

class Anchors : public QObject {
    Q_OBJECT
public:
    enum Edge { MoveRight = 1, MoveDown = 2, GrowWidth = 4, GrowHeight = 8 };
    // Call when the form's controls stand at their designed places: they
    // are taken from there. The form becomes resizable from `designed` up.
    Anchors(QWidget *form, QSize designed, std::initializer_list<std::pair<QWidget *, int>> anchored);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();
    QWidget *form_;
    QSize designed_;
    QHash<QWidget *, std::pair<QRect, int>> anchored_;
};

}  // namespace tqen::forms
