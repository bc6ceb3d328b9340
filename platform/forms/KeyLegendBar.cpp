#include "platform/forms/KeyLegendBar.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <climits>

namespace tqen::forms {

namespace {
constexpr int kGap = 6;   // between two buttons
}

KeyLegendBar::KeyLegendBar(QLabel *legend, const QList<std::pair<QString, QPushButton *>> &keys, QWidget *parent)
    : QWidget(parent), legend_(legend), keys_(keys) {
    legend_->setParent(this);
    for (const auto &k : keys_) k.second->setParent(this);
    fitFont();
}

int KeyLegendBar::buttonWidth() const {
    int w = 0;
    for (const auto &k : keys_) w = std::max({w, k.second->sizeHint().width(), k.second->minimumWidth()});
    return w;
}

int KeyLegendBar::buttonHeight() const {
    int h = 0;
    for (const auto &k : keys_) h = std::max({h, k.second->sizeHint().height(), k.second->minimumHeight()});
    return h;
}

int KeyLegendBar::keyCentre(const QString &key) const {
    const QString text = legend_->text();
    const QFontMetrics fm(legend_->font());
    const qsizetype at = text.indexOf(key);
    if (at < 0) return -1;
    return legend_->x() + legend_->contentsRect().left() + fm.horizontalAdvance(text.left(at)) +
           fm.horizontalAdvance(key) / 2;
}

// The smallest fixed-pitch size, from the form's own size up, at which two
// neighbouring keys stand at least a button apart.
void KeyLegendBar::fitFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const int need = buttonWidth() + kGap;
    const QString text = legend_->text();
    int size = std::max(QFontMetrics(this->font()).height() * 3 / 4, 8);
    for (; size < 64; ++size) {
        font.setPixelSize(size);
        const QFontMetrics fm(font);
        int previous = -1, narrowest = INT_MAX;
        for (const auto &k : keys_) {
            const qsizetype at = text.indexOf(k.first);
            const int centre = fm.horizontalAdvance(text.left(at)) + fm.horizontalAdvance(k.first) / 2;
            if (previous >= 0) narrowest = std::min(narrowest, centre - previous);
            previous = centre;
        }
        if (narrowest >= need) break;
    }
    legend_->setFont(font);
    const QFontMetrics fm(font);
    const qsizetype first = keys_.isEmpty() ? 0 : text.indexOf(keys_.first().first);
    const int firstCentre = keys_.isEmpty() ? 0 : fm.horizontalAdvance(text.left(first)) +
                                                      fm.horizontalAdvance(keys_.first().first) / 2;
    margin_ = std::max(0, buttonWidth() / 2 - firstCentre);
    updateGeometry();
    place();
}

QSize KeyLegendBar::sizeHint() const {
    const QSize legend = legend_->sizeHint();
    int right = margin_ + legend.width();
    for (const auto &k : keys_) right = std::max(right, keyCentre(k.first) - legend_->x() + margin_ + buttonWidth() / 2);
    return {right, legend.height() + 2 + buttonHeight()};
}

void KeyLegendBar::place() {
    const QSize legend = legend_->sizeHint();
    legend_->setGeometry(margin_, 0, legend.width(), legend.height());
    const int w = buttonWidth(), h = buttonHeight();
    for (const auto &k : keys_) k.second->setGeometry(keyCentre(k.first) - w / 2, legend.height() + 2, w, h);
}

void KeyLegendBar::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    place();
}

bool KeyLegendBar::event(QEvent *event) {
    // Another font or style changes the buttons' size: the keys move apart.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fitFont();
    return QWidget::event(event);
}

}  // namespace tqen::forms
