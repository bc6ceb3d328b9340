#pragma once
// Key preview: a form sees the key presses of its controls before they do.
// The handler answers true to keep a key from the control that has the focus.
#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace tqen::forms {

class KeyPreview : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(QKeyEvent *)>;
    // Watches the keys of every widget in the window of `form` for as long
    // as the form lives.
    KeyPreview(QWidget *form, Handler handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *form_;
    Handler handler_;
};

}  // namespace tqen::forms
