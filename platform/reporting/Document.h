#pragma once
// A laid-out report: its pages, each a list of text lines and rules placed in
// twips from the top-left corner of the paper. A report is laid out once;
// the same document is then drawn onto any paint device.
#include <QColor>
#include <QFont>
#include <QLineF>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>

namespace tqen::reporting {

constexpr int TwipsPerInch = 1440;
constexpr int TwipsPerPoint = 20;

struct PageItem {
    enum class Kind { Text, Rule, Circle };
    Kind kind = Kind::Text;
    QString control;        // name of the control it comes from
    // Text: one line of the control's text. box is the control's width and
    // the line's height; the text starts at box.left() + offset and its
    // baseline lies at box.top() + ascent.
    QString text;
    QRectF box;
    qreal offset = 0;
    qreal ascent = 0;
    qreal textWidth = 0;    // advance of the line's text
    int font = 0;           // index into Document::fonts
    // Rule: from one point to another; width of the pen in twips.
    QLineF rule;
    qreal penWidth = 0;
    // Circle: the ellipse inside box.
    QColor color = Qt::black;  // of the text, rule or circle
};

struct Page {
    QList<PageItem> items;
};

struct Document {
    QString title;
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF paper;           // twips, orientation applied
    QList<QFont> fonts;     // pixel sizes in twips
    QList<Page> pages;

    int pageCount() const { return int(pages.size()); }
    // The page layout the document was laid out for, without margins: the
    // document places everything itself.
    QPageLayout pageLayout() const;
};

// Draws one page. The painter's coordinates must be twips from the paper's
// top-left corner (see paintDocument).
void paintPage(const Document &doc, int page, QPainter &painter);

}  // namespace tqen::reporting
