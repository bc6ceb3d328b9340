#include "platform/reporting/Output.h"

#include "platform/forms/Interaction.h"

#include <QAction>
#include <QDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QToolBar>

#include <memory>

namespace tqen::reporting {

QPageLayout Document::pageLayout() const { return QPageLayout(pageSize, orientation, QMarginsF(0, 0, 0, 0)); }

void paintPage(const Document &doc, int page, QPainter &painter) {
    if (page < 0 || page >= doc.pages.size()) return;
    int font = -1;
    painter.setPen(QPen(Qt::black));
    for (const PageItem &item : doc.pages[page].items) {
        if (item.kind == PageItem::Kind::Rule) {
            painter.setPen(QPen(item.color, item.penWidth));
            painter.drawLine(item.rule);
            painter.setPen(QPen(Qt::black));
            continue;
        }
        if (item.kind == PageItem::Kind::Circle) {
            painter.setPen(QPen(item.color, item.penWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(item.box);
            painter.setPen(QPen(Qt::black));
            continue;
        }
        if (item.text.isEmpty()) continue;
        if (painter.pen().color() != item.color) painter.setPen(QPen(item.color));
        if (item.font != font) {
            font = item.font;
            painter.setFont(doc.fonts.value(font));
        }
        painter.drawText(QPointF(item.box.left() + item.offset, item.box.top() + item.ascent), item.text);
    }
}

void paintDocument(const Document &doc, QPainter &painter, qreal dotsPerInch,
                   const std::function<bool()> &newPage) {
    const qreal scale = dotsPerInch / TwipsPerInch;
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (i > 0 && !newPage()) return;
        painter.save();
        painter.scale(scale, scale);
        paintPage(doc, i, painter);
        painter.restore();
    }
}

Error printDocument(const Document &doc, QPagedPaintDevice &device) {
    if (auto *pdf = dynamic_cast<QPdfWriter *>(&device)) {
        pdf->setPageLayout(doc.pageLayout());
        pdf->setTitle(doc.title);
    }
    QPainter painter;
    if (!painter.begin(&device))
        return Error(Error::Code::PrintFailed, QStringLiteral("印刷を始められません。プリンタまたは出力先を確かめてください。"));
    bool ok = true;
    paintDocument(doc, painter, device.logicalDpiX(), [&] { return ok = device.newPage(); });
    if (!painter.end() || !ok)
        return Error(Error::Code::PrintFailed, QStringLiteral("印刷が途中で止まりました。"));
    return {};
}

Error writePdf(const Document &doc, const QString &path) {
    {
        QPdfWriter writer(path);
        writer.setCreator(QStringLiteral("PrjTqen"));
        const Error e = printDocument(doc, writer);
        if (e.ok()) return e;
    }
    return Error(Error::Code::FileFailed, QStringLiteral("PDF ファイルを書けません。"), path);
}

void preparePrinter(const Document &doc, QPrinter &printer) {
    printer.setPageLayout(doc.pageLayout());
    printer.setFullPage(true);
    printer.setDocName(doc.title);
}

QPrintPreviewDialog *createPreview(const Document &doc, QPrinter *printer, QWidget *owner) {
    auto *dialog = new QPrintPreviewDialog(printer, owner);
    dialog->setObjectName(QStringLiteral("preview"));
    dialog->setWindowTitle(doc.title.isEmpty() ? forms::programTitle() : doc.title);
    dialog->resize(900, 1000);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [doc](QPrinter *p) { printDocument(doc, *p); });
    auto *save = new QAction(QStringLiteral("PDFに保存"), dialog);
    save->setObjectName(QStringLiteral("actPdfに保存"));
    save->setShortcut(QKeySequence::Save);
    save->setToolTip(QStringLiteral("PDF ファイルに保存します (Ctrl+S)"));
    if (auto *bar = dialog->findChild<QToolBar *>()) {
        bar->addSeparator();
        bar->addAction(save);
    }
    dialog->addAction(save);
    QObject::connect(save, &QAction::triggered, dialog, [doc, dialog] {
        forms::FileDialogRequest request;
        request.title = QStringLiteral("PDFに保存");
        request.filter = QStringLiteral("PDF ファイル(*.pdf)|*.pdf|");
        request.defaultName = (doc.title.isEmpty() ? QStringLiteral("report") : doc.title) + QStringLiteral(".pdf");
        if (!forms::SaveFileDialog(dialog, request)) return;
        QString path = request.chosenPath;
        if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
        if (!forms::interaction().mayReplace(dialog, path, request.title)) return;
        const Error e = writePdf(doc, path);
        if (!e.ok())
            forms::interaction().messageBox(dialog, e.message(), forms::mb::OK | forms::mb::Exclamation,
                                            forms::programTitle());
    });
    return dialog;
}

namespace {

class QtPresenter : public Presenter {
public:
    void preview(const Document &doc, QWidget *owner) override {
        QPrinter printer(QPrinter::HighResolution);
        preparePrinter(doc, printer);
        std::unique_ptr<QPrintPreviewDialog> dialog(createPreview(doc, &printer, owner));
        dialog->exec();
    }

    Error print(const Document &doc, QWidget *owner, bool prompt) override {
        QPrinter printer(QPrinter::HighResolution);
        preparePrinter(doc, printer);
        if (prompt) {
            QPrintDialog dialog(&printer, owner);
            dialog.setWindowTitle(QStringLiteral("印刷"));
            if (dialog.exec() != QDialog::Accepted) return Error(Error::Code::Cancelled, QStringLiteral("印刷を取り消しました。"));
        } else if (QPrinterInfo::defaultPrinter().isNull()) {
            return Error(Error::Code::PrintFailed, QStringLiteral("使えるプリンタがありません。プリンタを設定してください。"));
        }
        return printDocument(doc, printer);
    }
};

Presenter *&installed() {
    static Presenter *p = nullptr;
    return p;
}

}  // namespace

Presenter &presenter() {
    static QtPresenter qt;
    return installed() ? *installed() : qt;
}

void setPresenter(Presenter *other) { installed() = other; }

void RecordingPresenter::preview(const Document &doc, QWidget *) { previews << doc; }

Error RecordingPresenter::print(const Document &doc, QWidget *, bool prompt) {
    printed << Printed{doc, prompt};
    return printResult;
}

}  // namespace tqen::reporting
