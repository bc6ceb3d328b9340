#pragma once
// A paint device that keeps what was drawn on it, page by page: every text
// with the box it covers and every line, in twips from the paper's corner. A
// test draws a document on it and checks positions and page breaks without a
// printer.
#include "platform/reporting/Document.h"

#include <QPaintDevice>

#include <memory>

namespace tqen::reporting {

class RecordingDevice : public QPaintDevice {
public:
    struct Text {
        int page = 0;
        QString text;
        QRectF box;        // from the text's start to its advance, ascent to descent
        QString family;    // as asked for
        QString resolvedFamily;
    };
    struct Line {
        int page = 0;
        QLineF line;
    };

    explicit RecordingDevice(const QSizeF &paperTwips);
    ~RecordingDevice() override;

    QList<Text> texts;
    QList<Line> lines;
    int pages = 1;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    QSizeF paper_;
    std::unique_ptr<Engine> engine_;
};

// Draws every page of a document onto a recording device.
void record(const Document &doc, RecordingDevice &device);

}  // namespace tqen::reporting
