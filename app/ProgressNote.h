#pragma once
// A note over the middle of a form while a step reads or writes
// ("読込中です･･･", "検索中です･･･"), drawn at once, before the work starts.
#include "platform/forms/FramedPanel.h"

class QLabel;

namespace tqen {

class ProgressNote : public forms::FramedPanel {
    Q_OBJECT
public:
    // A note of the form, hidden until shown; its label is named labelName.
    ProgressNote(const QString &name, const QString &labelName, QWidget *form);

    void setText(const QString &text);
    // Shows the note centred over the form (with this text).
    void showOver();
    void showText(const QString &text);

private:
    QLabel *label_ = nullptr;
};

}  // namespace tqen
