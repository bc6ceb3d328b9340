#pragma once
// A key legend over a row of buttons: the legend's text ("F1   F2 … ESC")
// in a fixed-pitch font, each button centred under the key it answers to.
// The font grows until the buttons fit between their keys, so the row
// follows the font the desktop uses.
#include <QList>
#include <QWidget>

#include <utility>

class QLabel;
class QPushButton;

namespace tqen::forms {

class KeyLegendBar : public QWidget {
    Q_OBJECT
public:
    // legend: the label showing the legend (made a child of the bar);
    // keys: each key's text as it stands in the legend, and its button.
    KeyLegendBar(QLabel *legend, const QList<std::pair<QString, QPushButton *>> &keys, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The centre of a key in the legend, in the bar's coordinates.
    int keyCentre(const QString &key) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void fitFont();
    void place();
    int buttonWidth() const;
    int buttonHeight() const;
    QLabel *legend_;
    QList<std::pair<QString, QPushButton *>> keys_;
    int margin_ = 0;   // room left of the legend for the first button's half
};

}  // namespace tqen::forms
