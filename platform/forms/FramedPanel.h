#pragma once
// A framed panel: a sunken or raised frame that holds labels and buttons and,
// while visible, is shown over the form (progress notes, print conditions).
#include <QFrame>

namespace tqen::forms {

class FramedPanel : public QFrame {
    Q_OBJECT
public:
    explicit FramedPanel(const QString &name, QWidget *parent = nullptr, bool raised = false);
    void setWidthTwips(int twips);
    int widthTwips() const;
    void setLeftTwips(int twips);
    // Shows the panel over its siblings, or hides it.
    void setPanelVisible(bool visible);
    // The progress note: shows the panel over its siblings and paints it at
    // once, before the work it tells of starts. Only the panel is painted:
    // running the pending events here would let a second click start another
    // procedure in the middle of this one.
    void showNow();
};

}  // namespace tqen::forms
