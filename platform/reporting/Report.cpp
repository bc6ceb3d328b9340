#include "platform/reporting/Report.h"

#include "platform/dao/Dao.h"
#include "platform/reporting/Output.h"

#include <QFontMetricsF>
#include <QHash>
#include <QTextLayout>

#include <algorithm>

namespace tqen::reporting {

namespace {

QString valueText(const QVariant &v) {
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

// A text broken into the lines that fit a width.
struct Shaped {
    QStringList lines;
    QList<qreal> widths;
    qreal lineHeight = 0;
    qreal ascent = 0;
};

Shaped shape(QString text, const QFont &font, qreal width) {
    Shaped out;
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        QString part = text.mid(line.textStart(), line.textLength());
        part.remove(QChar::LineSeparator);
        out.lines << part;
        out.widths << std::min(line.naturalTextWidth(), width);
        out.lineHeight = std::max(out.lineHeight, line.height());
        out.ascent = std::max(out.ascent, line.ascent());
    }
    layout.endLayout();
    if (out.lineHeight <= 0) {
        const QFontMetricsF fm(font);
        out.lineHeight = fm.ascent() + fm.descent();
        out.ascent = fm.ascent();
    }
    return out;
}

qreal alignedOffset(Qt::Alignment a, qreal boxWidth, qreal textWidth) {
    if (a & Qt::AlignRight) return std::max<qreal>(0, boxWidth - textWidth);
    if (a & Qt::AlignHCenter) return std::max<qreal>(0, (boxWidth - textWidth) / 2);
    return 0;
}

}  // namespace

// Lays a report out page by page.
class Layout {
public:
    Layout(Report &report, Document &doc) : r(report), doc(doc) {}

    void run() {
        const QPageSize size(r.Printer.PaperSize);
        const QSizeF portrait = size.size(QPageSize::Millimeter) * (TwipsPerInch / 25.4);
        doc.pageSize = size;
        doc.orientation = r.Printer.Orientation == PrinterSettings::Landscape ? QPageLayout::Landscape
                                                                              : QPageLayout::Portrait;
        doc.paper = doc.orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
        doc.title = r.Caption.isEmpty() ? r.name() : r.Caption;

        startPage();
        for (int i = 0; i < r.rows_.size(); ++i) {
            r.row_ = i;
            for (Control &c : r.Detail.controls)
                if (!c.dataField.isEmpty()) c.text = valueText(r.Fields(c.dataField));
            r.Detail_Format();
            if (r.Detail.visible) place(format(r.Detail));
        }
        r.row_ = -1;
        fillSummaries();
    }

private:
    struct Block {
        qreal height = 0;
        QList<PageItem> items;
        QList<Control> summaries;   // per item; kind Label when not a summary
    };

    int fontIndex(const Control &c) {
        const QString key = c.fontName + QLatin1Char('/') + QString::number(c.fontSize) + (c.bold ? "b" : "");
        auto it = fonts.constFind(key);
        if (it != fonts.constEnd()) return *it;
        QFont f(c.fontName);
        f.setPixelSize(std::max(1, qRound(c.fontSize * TwipsPerPoint)));
        f.setBold(c.bold);
        f.setHintingPreference(QFont::PreferNoHinting);
        doc.fonts << f;
        fonts.insert(key, int(doc.fonts.size() - 1));
        return int(doc.fonts.size() - 1);
    }

    // One section with the texts its controls hold now; positions relative
    // to the section's top-left corner.
    Block format(const Section &s) {
        Block b;
        if (!s.visible) return b;
        struct Growth { int bottom; qreal delta; };
        QList<Growth> growth;
        QList<Shaped> shaped(s.controls.size());
        for (int i = 0; i < s.controls.size(); ++i) {
            const Control &c = s.controls[i];
            if (!c.visible || c.kind == ControlKind::Line || c.kind == ControlKind::Circle) continue;
            shaped[i] = shape(c.summary == Summary::None ? c.text : QString(), doc.fonts[fontIndex(c)], c.width);
            if (c.canGrow) {
                const qreal need = shaped[i].lines.size() * shaped[i].lineHeight;
                if (need > c.height) growth << Growth{c.top + c.height, need - c.height};
            }
        }
        auto shiftAt = [&](int top) {
            qreal shift = 0;
            for (const Growth &g : growth)
                if (g.bottom <= top) shift += g.delta;
            return shift;
        };
        qreal bottom = s.height + shiftAt(s.height);
        for (int i = 0; i < s.controls.size(); ++i) {
            const Control &c = s.controls[i];
            if (!c.visible) continue;
            const qreal top = c.top + shiftAt(c.top);
            if (c.kind == ControlKind::Line) {
                PageItem item;
                item.kind = PageItem::Kind::Rule;
                item.control = c.name;
                item.rule = QLineF(c.left, top, c.left + c.width, top + c.height);
                item.box = QRectF(item.rule.p1(), item.rule.p2()).normalized();
                item.penWidth = c.lineWeight;
                item.color = c.color;
                b.items << item;
                b.summaries << Control();
                continue;
            }
            if (c.kind == ControlKind::Circle) {
                PageItem item;
                item.kind = PageItem::Kind::Circle;
                item.control = c.name;
                item.box = QRectF(c.left, top, c.width, c.height);
                item.penWidth = c.lineWeight;
                item.color = c.color;
                b.items << item;
                b.summaries << Control();
                continue;
            }
            const Shaped &sh = shaped[i];
            const int font = fontIndex(c);
            if (c.summary != Summary::None) {
                // Filled in when the number of pages is known.
                PageItem item;
                item.control = c.name;
                item.font = font;
                item.box = QRectF(c.left, top, c.width, sh.lineHeight);
                item.ascent = sh.ascent;
                b.items << item;
                b.summaries << c;
                bottom = std::max(bottom, item.box.bottom());
                continue;
            }
            qsizetype shown = sh.lines.size();
            if (!c.canGrow) {
                const qsizetype fit = std::max<qsizetype>(1, qsizetype(c.height / sh.lineHeight));
                shown = std::min(shown, fit);
            }
            for (qsizetype l = 0; l < shown; ++l) {
                PageItem item;
                item.control = c.name;
                item.text = sh.lines[l];
                item.font = font;
                item.box = QRectF(c.left, top + l * sh.lineHeight, c.width, sh.lineHeight);
                item.ascent = sh.ascent;
                item.textWidth = sh.widths[l];
                item.offset = alignedOffset(c.alignment, c.width, item.textWidth);
                item.color = c.color;
                b.items << item;
                b.summaries << Control();
                if (c.canGrow) bottom = std::max(bottom, item.box.bottom());
            }
        }
        b.height = bottom;
        return b;
    }

    void append(const Block &b, qreal x, qreal y) {
        Page &page = doc.pages.last();
        for (qsizetype i = 0; i < b.items.size(); ++i) {
            PageItem item = b.items[i];
            item.box.translate(x, y);
            item.rule.translate(x, y);
            if (b.summaries[i].summary != Summary::None)
                pending << Pending{int(doc.pages.size() - 1), int(page.items.size()), b.summaries[i]};
            page.items << item;
        }
    }

    void startPage() {
        doc.pages.append(Page());
        hasDetail = false;
        const qreal left = r.PageSettings.LeftMargin;
        r.PageHeader_Format();
        const Block header = format(r.PageHeader);
        append(header, left, r.PageSettings.TopMargin);
        y = r.PageSettings.TopMargin + header.height;
        r.PageFooter_Format();
        const Block footer = format(r.PageFooter);
        bodyBottom = doc.paper.height() - r.PageSettings.BottomMargin - footer.height;
        append(footer, left, bodyBottom);
    }

    // The lowest place at or above `limit` where the block can be cut without
    // cutting a line of text; 0 when there is none.
    static qreal bestBreak(const Block &b, qreal limit) {
        qreal best = 0;
        auto consider = [&](qreal at) {
            if (at <= best || at > limit) return;
            for (const PageItem &i : b.items)
                if (i.box.top() < at && i.box.bottom() > at) return;
            best = at;
        };
        for (const PageItem &i : b.items) {
            consider(i.box.top());
            consider(i.box.bottom());
        }
        consider(b.height);
        return best;
    }

    void place(Block b) {
        const qreal left = r.PageSettings.LeftMargin;
        for (;;) {
            const qreal room = bodyBottom - y;
            if (b.height <= room) {
                append(b, left, y);
                y += b.height;
                hasDetail = true;
                return;
            }
            // A block that does not fit starts on a fresh page; only a block
            // taller than a whole page is cut, between its lines.
            if (hasDetail) {
                startPage();
                continue;
            }
            qreal cut = bestBreak(b, room);
            // A single line taller than the page goes where it is.
            if (cut <= 0) cut = room > 0 ? room : b.height;
            Block head, rest;
            for (qsizetype i = 0; i < b.items.size(); ++i) {
                Block &to = b.items[i].box.top() < cut ? head : rest;
                PageItem item = b.items[i];
                if (&to == &rest) {
                    item.box.translate(0, -cut);
                    item.rule.translate(0, -cut);
                }
                to.items << item;
                to.summaries << b.summaries[i];
            }
            head.height = cut;
            rest.height = b.height - cut;
            append(head, left, y);
            hasDetail = true;
            if (rest.items.isEmpty()) {
                y += cut;
                return;
            }
            startPage();
            b = rest;
        }
    }

    void fillSummaries() {
        const QString count = QString::number(doc.pages.size());
        for (const Pending &p : pending) {
            PageItem &item = doc.pages[p.page].items[p.item];
            const QString number = p.control.summary == Summary::PageNumber ? QString::number(p.page + 1) : count;
            // A number is never cut: a wide one runs past its box.
            const Shaped sh = shape(p.control.summaryFormat.arg(number), doc.fonts[item.font], 1e6);
            item.text = sh.lines.value(0);
            item.textWidth = sh.widths.value(0);
            item.offset = alignedOffset(p.control.alignment, p.control.width, item.textWidth);
        }
    }

    struct Pending {
        int page;
        int item;
        Control control;
    };
    Report &r;
    Document &doc;
    QHash<QString, int> fonts;
    QList<Pending> pending;
    qreal y = 0;
    qreal bodyBottom = 0;
    bool hasDetail = false;
};

Report::Report(const QString &name) : name_(name) {}
Report::~Report() = default;

void Report::add(Section &section, const QList<Control> &controls) { section.controls << controls; }

Control &Report::control(const QString &name) {
    for (Section *s : {&PageHeader, &Detail, &PageFooter})
        for (Control &c : s->controls)
            if (c.name == name) return c;
    detached_ = Control();
    detached_.name = name;
    return detached_;
}

QVariant Report::Fields(const QString &name) const {
    if (row_ < 0 || row_ >= rows_.size()) return {};
    const QVariantMap &row = rows_[row_];
    auto it = row.constFind(name);
    if (it != row.constEnd()) return *it;
    for (auto i = row.constBegin(); i != row.constEnd(); ++i)
        if (i.key().compare(name, Qt::CaseInsensitive) == 0) return *i;
    return {};
}

QDate Report::printDate() const { return printDate_.isValid() ? printDate_ : QDate::currentDate(); }

bool Report::readRows() {
    rows_.clear();
    if (DAODataControl1.RecordSource.isEmpty()) return true;
    auto db = dao::Database::open(DAODataControl1.DatabaseName);
    const QString source = DAODataControl1.RecordSource.trimmed();
    const bool select = source.startsWith(QStringLiteral("select "), Qt::CaseInsensitive);
    auto rs = db.openRecordset(select ? source : QStringLiteral("select * from ") + source);
    if (!rs.isOpen()) {
        error_ = dao::failure(QStringLiteral("印刷するデータを読めません。"), db, rs);
        return false;
    }
    const QStringList names = rs.fieldNames();
    while (!rs.eof()) {
        QVariantMap row;
        for (const QString &f : names) row.insert(f, rs.field(f));
        rows_ << row;
        rs.moveNext();
    }
    return true;
}

const Document &Report::Run() {
    error_ = Error();
    document_ = Document();
    ActiveReport_ReportStart();
    readRows();
    Layout(*this, document_).run();
    rows_.clear();
    ran_ = true;
    return document_;
}

void Report::Show(QWidget *owner) {
    if (!ran_) Run();
    presenter().preview(document_, owner);
}

Error Report::PrintReport(bool prompt, QWidget *owner) {
    if (!ran_) Run();
    return presenter().print(document_, owner, prompt);
}

Error Report::ExportPdf(const QString &path) {
    if (!ran_) Run();
    return writePdf(document_, path);
}

}  // namespace tqen::reporting
