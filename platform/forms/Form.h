#pragma once
// A form of the program: a top-level window with a name. Open forms are kept
// in the program's list of open forms, in the order they were created.
#include <QWidget>

namespace tqen::forms {

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString &name, QWidget *parent = nullptr);
    ~Form() override;
    QString name() const { return objectName(); }

    // Closes the form and deletes it (unload).
    void unload();

signals:
    void activated();

protected:
    bool event(QEvent *e) override;
};

// The open forms, oldest first.
QList<Form *> openForms();
// The open form of that name, or nullptr.
Form *findForm(const QString &name);
// Lets pending window events run once.
void DoEvents();

}  // namespace tqen::forms
