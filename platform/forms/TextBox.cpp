#include "platform/forms/TextBox.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <cmath>

namespace tqen::forms {

namespace {
// A memo at a fractional scale (150 %): the text area, rounded to whole
// device pixels, would paint over the frame's right and bottom line; it
// keeps one pixel off them there.
class MemoEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void resizeEvent(QResizeEvent *event) override {
        const qreal ratio = devicePixelRatioF();
        const int spare = ratio != std::floor(ratio) ? 1 : 0;
        if (viewportMargins() != QMargins(0, 0, spare, spare)) setViewportMargins(0, 0, spare, spare);
        QPlainTextEdit::resizeEvent(event);
    }
};
}  // namespace

TextBox::TextBox(const QString &name, bool multiLine, QWidget *parent) : QWidget(parent) {
    setObjectName(name);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (multiLine) {
        multi_ = new MemoEdit(this);
        multi_->setTabChangesFocus(true);
        layout->addWidget(multi_);
        connect(multi_, &QPlainTextEdit::textChanged, this, &TextBox::textChanged);
    } else {
        line_ = new QLineEdit(this);
        layout->addWidget(line_);
        connect(line_, &QLineEdit::textChanged, this, &TextBox::textChanged);
    }
    connect(this, &TextBox::textChanged, this, [this] {
        if (!settingText_) emit edited();
    });
    setFocusProxy(editor());
}

QString TextBox::Text() const { return line_ ? line_->text() : multi_->toPlainText(); }

void TextBox::setText(const QString &text) {
    // Setting the text it already holds keeps the caret and the undo history
    // (and a memo's document is not rebuilt for nothing).
    if (Text() == text) return;
    settingText_ = true;
    if (line_) line_->setText(text);
    else multi_->setPlainText(text);
    settingText_ = false;
}

void TextBox::setReadOnly(bool readOnly) {
    if (line_) line_->setReadOnly(readOnly);
    else multi_->setReadOnly(readOnly);
}

bool TextBox::isReadOnly() const { return line_ ? line_->isReadOnly() : multi_->isReadOnly(); }

void TextBox::SetFocus() { editor()->setFocus(); }

QWidget *TextBox::editor() const {
    if (line_) return line_;
    return multi_;
}

}  // namespace tqen::forms
