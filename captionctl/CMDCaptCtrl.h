#pragma once
// MDCaption: a caption (label text) with a bevelled frame around a framed
// child widget. Widgets placed in it become its children; the first one that
// is not of the window class "wndclass_flex_gsk" is the framed child. The
// control places its label beside the child, can fit child and itself
// together (AutoAdjust), draws a border effect around the child, forwards the
// focus to it, shows its own tooltip and sets the mouse cursor. The host
// reaches its properties through the dispatch interface of OleControl; the
// properties are the rows of the one table in MDCaptProperties.h.
#include "captionctl/MDCaptProperties.h"
#include "platform/com/Control.h"
#include "platform/com/OleColor.h"

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <span>

namespace tqen::captionctl {

class ChildBorderOverlay;

// A child widget's window class name: its "windowClass" property when set,
// else its Qt class name.
QString windowClassName(const QWidget *w);
inline const char *const kExcludedChildClass = "wndclass_flex_gsk";

// Layout modes of LayoutChild.
enum LayoutMode { FitChild = 1, FitControl = 0, RepositionOnly = -1 };

class CMDCaptCtrl : public QWidget, public com::OleControl {
    Q_OBJECT
public:
    explicit CMDCaptCtrl(QWidget *parent = nullptr);
    ~CMDCaptCtrl() override;

    // OleControl
    QWidget *widget() override { return this; }
    void setAmbient(const com::Ambient &ambient) override;
    com::Ambient ambient() const override { return m_ambient; }
    void advise(com::EventHandler handler) override { m_events = std::move(handler); }
    com::HResult initNew() override;
    com::HResult load(const com::PropertyBag &bag) override;
    com::HResult save(com::PropertyBag *bag, bool clearDirty) override;
    bool isDirty() const override { return m_modified; }
    QList<com::Guid> propertyPages() const override;
    com::Guid pageOfProperty(int dispid) const override;
    QImage drawImage(const QSize &size) override;
    void release() override { delete this; }

    // The default action of the accessibility interface: what a click does
    // (the Click event), for a control that is enabled.
    void accessibleClick();

    // Dispatch
    int idOfName(const QString &name) const override;
    com::DispResult get(int dispid) override;
    com::DispResult put(int dispid, const QVariant &value) override;
    com::DispResult invoke(int dispid, const QVariantList &args) override;

    // The property table, and its row of one DISPID (null when none).
    static std::span<const PropertyDef> properties();
    static const PropertyDef *property(int dispid);
    // The font of a control that was just reset.
    static QFont defaultFont();

    // Layout of label and framed child.
    QWidget *FindFramedChild() const;
    QRect CalcLabelRect() const;
    void LayoutChild(int mode);

    // Painting of the control's face into bounds (control coordinates).
    void draw(QPainter &p, const QRect &bounds);
    // The font as painted (the stock font scaled to the screen).
    QFont paintFont() const;
    // The mnemonic key of a caption (upper-cased character), 0 when none.
    static int mnemonicKey(const QString &caption);
    // Qt cursor shape for a MousePointer value 1-14; -1 for others.
    static int cursorShapeFor(int mousePointer);

    // Stored values in pixels, for the layout and drawing code and tests.
    qint16 labelLeft() const { return m_LabelLeft; }
    qint16 labelTop() const { return m_LabelTop; }
    qint16 labelWidth() const { return m_LabelWidth; }
    qint16 labelHeight() const { return m_LabelHeight; }
    QString caption() const { return m_Caption; }
    com::OleColor backColor() const { return m_BackColor; }
    com::OleColor foreColor() const { return m_ForeColor; }

    // Tooltip steps, also driven directly by tests.
    void toolTipMouseMove();
    void toolTipLeftDown();
    void toolTipTimer();
    // What hid a shown tooltip. Only a mouse move starts the quicker
    // re-show of the next one.
    enum class HideCause { MouseMove, Other };
    // The private "hide tooltip" message: hide, then the new state.
    void hideToolTip(int newState, HideCause cause = HideCause::Other);
    bool toolTipTimerActive() const { return m_tipTimer.isActive(); }
    int toolTipTimerInterval() const { return m_tipTimer.interval(); }

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void leaveEvent(QEvent *) override;
    void changeEvent(QEvent *) override;
    void childEvent(QChildEvent *) override;
    bool event(QEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class ChildBorderOverlay;
    static const PropertyDef kProperties[];
    void resetToExchangeDefaults();
    void afterPropertiesChanged();
    void createOverlay();
    void drawChildBorder(QPainter &p);
    void focusChild(Qt::FocusReason reason);
    void fireEvent(int dispid, const QVariantList &args = {});
    void fireMouse(int dispid, QMouseEvent *e);
    QSize measure(const QString &text) const;
    void UpdateLabelSize();
    void OnTextChanged();
    void OnFontChanged();
    void applyCursor();
    void updateMnemonic();
    void invalidateChildBorder();
    void scheduleReposition();
    void moveFocusOutOfControl();
    void setControlSize(int width, int height);
    com::DispResult parse(const PropertyDef &p, const QVariant &value, QVariant *stored) const;
    float lengthOut(int pixels, bool horizontal) const;
    void afterSet(const PropertyDef &p);

    // Members, in the control's own order; their defaults are the table's,
    // set by the constructor.
    qint16 m_BorderEffect{};
    qint16 m_BottomMargin{};
    qint16 m_ChildBorderEffect{};
    qint16 m_LabelAlignment{};
    qint16 m_LabelAutoSize{};
    qint16 m_LabelBorderStyle{};
    qint16 m_LabelBorderEffect{};
    qint16 m_LabelPosition{};
    qint16 m_LabelHeight{};
    qint16 m_LabelLeft{};
    qint16 m_LabelTop{};
    qint16 m_LabelWidth{};
    qint16 m_LeftMargin{};
    qint16 m_MousePointer{};
    qint16 m_RightMargin{};
    qint16 m_Spacing{};
    qint16 m_TopMargin{};
    qint16 m_BorderStyle{};
    com::OleColor m_ShadowColor{};
    QPixmap m_MouseIcon;
    bool m_AutoAdjust{};
    bool m_cachedEnabled = true;
    QString m_ToolTip;
    // Stock properties.
    com::OleColor m_BackColor{};
    com::OleColor m_ForeColor{};
    QString m_Caption;
    QFont m_Font;

    com::Ambient m_ambient;
    com::EventHandler m_events;
    bool m_modified = false;
    bool m_inLayout = false;
    bool m_repositionPending = false;
    bool m_resizePending = false;
    QSize m_pendingSize;
    bool m_suppressClick = false;
    bool m_focusInside = false;
    int m_shortcutId = 0;
    QTimer m_tipTimer;
    QWidget *m_overlay = nullptr;  // the child-border overlay
};

}  // namespace tqen::captionctl
