#pragma once
// The button beside the memo that offers the office's memo templates (also
// Ctrl+T). A template goes into an empty memo only: typed text is never
// replaced or mixed with a template, and the user is told why nothing went in.
#include "model/MemoTemplates.h"

#include <QToolButton>

#include <functional>

namespace tqen::forms {
class TextBox;
}

namespace tqen {

class MemoTemplateButton : public QToolButton {
    Q_OBJECT
public:
    // dataDbPath: the data database in use, asked for each time the
    // templates are offered.
    MemoTemplateButton(forms::TextBox *memo, std::function<QString()> dataDbPath, QWidget *parent = nullptr);

    // The templates as the menu offers them now.
    QList<model::MemoTemplate> offered() const { return offered_; }
    // Fills the menu from the data database.
    void reload();
    // Puts the template at this index of the menu into the memo when the memo
    // is empty; true when it went in.
    bool insert(int index);

signals:
    // A template went into the memo.
    void inserted();

private:
    forms::TextBox *memo_;
    std::function<QString()> dataDbPath_;
    QList<model::MemoTemplate> offered_;
};

}  // namespace tqen
