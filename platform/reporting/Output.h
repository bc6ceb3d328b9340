#pragma once
// Where a laid-out report goes: any paint device, a PDF file, the preview
// window and the system printer, all through Qt PrintSupport.
//
// The preview and the printer go through one Presenter, like message boxes go
// through the interaction: the program runs on the Qt one, tests install a
// RecordingPresenter and read what would have been shown or printed.
#include "platform/error/Error.h"
#include "platform/reporting/Document.h"

#include <QList>

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace tqen::reporting {

// Draws every page onto a painter already begun on a device of dotsPerInch;
// newPage() is called between pages and returns false when the device
// cannot go on.
void paintDocument(const Document &doc, QPainter &painter, qreal dotsPerInch,
                   const std::function<bool()> &newPage);

// Draws every page onto a printer or a PDF writer. A printer prints on the
// paper it was set up with, from the paper's corner; a PDF writer gets the
// document's paper without margins.
Error printDocument(const Document &doc, QPagedPaintDevice &device);

// Writes the document to a PDF file, fonts embedded.
Error writePdf(const Document &doc, const QString &path);

// Sets a printer up for the document: paper, orientation, drawing from the
// paper's corner, the document's title as the job name.
void preparePrinter(const Document &doc, QPrinter &printer);

// The preview window for a document on a printer: zoom, paging, printing,
// and "PDFに保存", which asks for a file name and writes the PDF. The caller
// shows it (exec) and deletes it.
QPrintPreviewDialog *createPreview(const Document &doc, QPrinter *printer, QWidget *owner);

class Presenter {
public:
    virtual ~Presenter() = default;
    // Shows the preview window; returns when it is closed.
    virtual void preview(const Document &doc, QWidget *owner) = 0;
    // Prints on the system printer; with prompt the print dialog comes first.
    virtual Error print(const Document &doc, QWidget *owner, bool prompt) = 0;
};

// The presenter the program uses; the Qt one unless another was set.
Presenter &presenter();
// Installs another presenter (tests); nullptr restores the Qt one. The caller
// keeps ownership.
void setPresenter(Presenter *other);

// A presenter for tests: keeps every document it was asked to show or print.
class RecordingPresenter : public Presenter {
public:
    struct Printed {
        Document doc;
        bool prompt = false;
    };
    void preview(const Document &doc, QWidget *owner) override;
    Error print(const Document &doc, QWidget *owner, bool prompt) override;

    QList<Document> previews;
    QList<Printed> printed;
    // What the next print() gives back (a cancelled dialog, a failed printer).
    Error printResult;
};

class ScopedPresenter {
public:
    explicit ScopedPresenter(Presenter *p) { setPresenter(p); }
    ~ScopedPresenter() { setPresenter(nullptr); }
    ScopedPresenter(const ScopedPresenter &) = delete;
    ScopedPresenter &operator=(const ScopedPresenter &) = delete;
};

}  // namespace tqen::reporting
