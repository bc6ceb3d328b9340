#pragma once
// The automation side of a control: properties and methods reached by
// dispatch identifier (DISPID) or by name, and events sent to the host.
//
// Values cross as QVariant: numbers, bool, QString, QFont (the stock Font),
// QPixmap (pictures). A failed call carries the automation error number the
// control raised (380 "invalid property value", 481 "invalid picture", …)
// and the control's message text; the value is left unchanged.
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>

namespace tqen::com {

constexpr int DISPID_UNKNOWN = -1;

// Automation error numbers the dispatch layer itself raises.
constexpr int kErrOverflow = 6;
constexpr int kErrTypeMismatch = 13;
constexpr int kErrInvalidProcedureCall = 5;
constexpr int kErrInvalidPropertyValue = 380;
constexpr int kErrReadOnlyProperty = 383;
constexpr int kErrMemberNotFound = 438;
constexpr int kErrInvalidPicture = 481;

struct DispResult {
    int code = 0;    // 0: success, else the automation error number
    QString text;    // the error's message text
    QVariant value;  // a get's value
    bool ok() const { return code == 0; }
    // The error as the platform's result code (0x800A0000 | number).
    qint32 hresult() const { return code == 0 ? 0 : qint32(0x800A0000u | quint32(code)); }
    static DispResult success(QVariant v = {}) { return {0, {}, std::move(v)}; }
    static DispResult error(int code, QString text) { return {code, std::move(text), {}}; }
};

class Dispatch {
public:
    // DISPID of a property or method name (case-insensitive); DISPID_UNKNOWN if none.
    virtual int idOfName(const QString &name) const = 0;
    virtual DispResult get(int dispid) = 0;
    virtual DispResult put(int dispid, const QVariant &value) = 0;
    virtual DispResult invoke(int dispid, const QVariantList &args = {}) = 0;

    DispResult getProperty(const QString &name) {
        const int id = idOfName(name);
        return id == DISPID_UNKNOWN ? notFound(name) : get(id);
    }
    DispResult putProperty(const QString &name, const QVariant &value) {
        const int id = idOfName(name);
        return id == DISPID_UNKNOWN ? notFound(name) : put(id, value);
    }
    DispResult invokeMethod(const QString &name, const QVariantList &args = {}) {
        const int id = idOfName(name);
        return id == DISPID_UNKNOWN ? notFound(name) : invoke(id, args);
    }

protected:
    ~Dispatch() = default;

private:
    static DispResult notFound(const QString &name) {
        return DispResult::error(kErrMemberNotFound,
                                 "Object doesn't support this property or method: " + name);
    }
};

// Receives the events of a control: the event's DISPID, its name and its
// arguments in declaration order.
using EventHandler =
    std::function<void(int dispid, const QString &name, const QVariantList &args)>;

}  // namespace tqen::com
