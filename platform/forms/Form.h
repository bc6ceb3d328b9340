#pragma once
// A form of the program: a top-level window with a name. The open forms are
// the application's top-level forms that have not been unloaded, oldest first.
#include <QWidget>

namespace tqen::forms {

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString &name, QWidget *parent = nullptr);
    ~Form() override;
    QString name() const { return objectName(); }

    // Closes the form and deletes it (unload). From then on it is no longer
    // among the open forms.
    void unload();
    bool isUnloaded() const { return unloaded_; }
    // Order of making, for listing the open forms oldest first.
    quint64 serial() const { return serial_; }

signals:
    void activated();

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    bool placed_ = false;
    quint64 serial_;
    bool unloaded_ = false;
};

// The open forms, oldest first.
QList<Form *> openForms();
// The open form of that name, or nullptr.
Form *findForm(const QString &name);
// Lets pending window events run once.
void DoEvents();

}  // namespace tqen::forms
