#pragma once
// Our report component. A report has three sections - page header, detail and
// page footer - with heights in twips. Their controls are labels, fields bound
// to a field of the report's data control, and rules, placed by left, top,
// width and height in twips within their section.
//
// Run() raises ActiveReport_ReportStart (the report's own code sets margins,
// heights and the data source), reads the rows of the data control, raises
// PageHeader_Format for each page and Detail_Format for each row, in which the
// code sets texts, and lays the pages out once. A text that does not fit a
// growing control wraps and grows its section; what stands below it moves
// down. A detail block that does not fit the rest of a page starts on the
// next one; a block taller than a whole page breaks between lines.
//
// The laid-out document then goes to the preview, the printer or a PDF file
// (Output.h), or is drawn onto any paint device.
#include "platform/error/Error.h"
#include "platform/reporting/Document.h"

#include <QDate>
#include <QList>
#include <QColor>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class QWidget;

namespace tqen::reporting {

// A circle is drawn in its box (a seal); its colour is the control's.
enum class ControlKind { Label, Field, Line, Circle };

// What an unbound field shows.
enum class Summary {
    None,
    PageNumber,   // the number of the page it stands on
    PageCount,    // the number of pages of the report
};

struct Control {
    QString name;
    ControlKind kind = ControlKind::Label;
    // Twips within the section. A rule runs from (left, top) to
    // (left + width, top + height).
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QString text;                // the caption of a label; a field's text
    QString dataField;           // a field of the data control; empty = unbound
    Summary summary = Summary::None;
    QString summaryFormat = QStringLiteral("%1");   // %1 is the number
    QString fontName = QStringLiteral("ＭＳ Ｐ明朝");
    double fontSize = 10;        // points
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft;
    // The text wraps and the control grows to hold all of it; otherwise it
    // shows what fits its height (at least one line) and is cut at its width.
    bool canGrow = false;
    bool visible = true;
    int lineWeight = 15;         // rules: pen width in twips
    QColor color = Qt::black;    // of a text, a rule or a circle
};

struct Section {
    QString name;
    int height = 0;              // twips
    bool visible = true;
    QList<Control> controls;
};

// The report's data source: a table (or a select) of a database file.
struct DataControl {
    QString DatabaseName;
    QString RecordSource;
};

struct PrinterSettings {
    enum { Portrait = 1, Landscape = 2 };
    int Orientation = Portrait;
    QPageSize::PageSizeId PaperSize = QPageSize::A4;
};

struct PageMargins {
    int LeftMargin = 1440;       // twips
    int RightMargin = 1440;
    int TopMargin = 1440;
    int BottomMargin = 1440;
};

class Report {
public:
    explicit Report(const QString &name);
    virtual ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    QString name() const { return name_; }
    // The title of the preview window, the print job and the PDF file.
    QString Caption;

    Section PageHeader{QStringLiteral("PageHeader")};
    Section Detail{QStringLiteral("Detail")};
    Section PageFooter{QStringLiteral("PageFooter")};
    DataControl DAODataControl1;
    PrinterSettings Printer;
    PageMargins PageSettings;

    // A control of any section by its name. An unknown name is a fault of the
    // report's code: it gets a detached control, so the report still runs.
    Control &control(const QString &name);
    // A field of the current row; Null for an unknown field or no row.
    QVariant Fields(const QString &name) const;
    // The date the report is printed on (today unless set).
    QDate printDate() const;
    void setPrintDate(const QDate &day) { printDate_ = day; }

    // Runs the report and lays it out; the document of the last run. A data
    // source that cannot be read gives a report without rows and an error.
    const Document &Run();
    const Document &document() const { return document_; }
    const Error &error() const { return error_; }

    // The preview window (zoom, paging, printing, saving as PDF).
    void Show(QWidget *owner = nullptr);
    // Prints on the system printer; with prompt the print dialog comes first.
    // Error::Code::Cancelled when the user closed the dialog.
    Error PrintReport(bool prompt, QWidget *owner = nullptr);
    // Writes the report to a PDF file with its fonts embedded.
    Error ExportPdf(const QString &path);

protected:
    virtual void ActiveReport_ReportStart() {}
    virtual void PageHeader_Format() {}
    virtual void Detail_Format() {}
    virtual void PageFooter_Format() {}

    // Adds controls to a section (a table of the layout, in design order).
    static void add(Section &section, const QList<Control> &controls);

private:
    friend class Layout;
    bool readRows();
    QString name_;
    QList<QVariantMap> rows_;
    int row_ = -1;
    QDate printDate_;
    Document document_;
    Error error_;
    bool ran_ = false;
    Control detached_;
};

}  // namespace tqen::reporting
