#include "tests/support/Recording.h"

#include "platform/reporting/Output.h"

#include <QFontInfo>
#include <QPaintEngine>
#include <QPainter>

namespace tqen::reporting {

class RecordingDevice::Engine : public QPaintEngine {
public:
    explicit Engine(RecordingDevice *device) : QPaintEngine(QPaintEngine::AllFeatures), device_(device) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState &state) override {
        if (state.state() & DirtyTransform) transform_ = state.transform();
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawLines(const QLineF *lines, int count) override {
        for (int i = 0; i < count; ++i) device_->lines << Line{device_->pages - 1, transform_.map(lines[i])};
    }
    void drawTextItem(const QPointF &p, const QTextItem &item) override {
        const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        device_->texts << Text{device_->pages - 1, item.text(), transform_.mapRect(box), item.font().family(),
                               QFontInfo(item.font()).family()};
    }

private:
    RecordingDevice *device_;
    QTransform transform_;
};

RecordingDevice::RecordingDevice(const QSizeF &paperTwips)
    : paper_(paperTwips), engine_(std::make_unique<Engine>(this)) {}

RecordingDevice::~RecordingDevice() = default;

QPaintEngine *RecordingDevice::paintEngine() const { return engine_.get(); }

int RecordingDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth: return qRound(paper_.width());
    case PdmHeight: return qRound(paper_.height());
    case PdmWidthMM: return qRound(paper_.width() * 25.4 / TwipsPerInch);
    case PdmHeightMM: return qRound(paper_.height() * 25.4 / TwipsPerInch);
    case PdmNumColors: return 2;
    case PdmDepth: return 1;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return TwipsPerInch;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
    default: return 0;
    }
}

void record(const Document &doc, RecordingDevice &device) {
    QPainter painter(&device);
    paintDocument(doc, painter, TwipsPerInch, [&] {
        ++device.pages;
        return true;
    });
}

}  // namespace tqen::reporting
