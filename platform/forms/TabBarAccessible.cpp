#include "platform/forms/TabBarAccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTabBar>

namespace tqen::forms {

namespace {

// One tab: named by its caption, selected while it is the current one.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(QTabBar *bar, int index) : bar_(bar), index_(index) {}

    bool isValid() const override { return bar_ && index_ < bar_->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        if (t == QAccessible::Name) return QString(bar_->tabText(index_)).remove(QLatin1Char('&'));
        if (t == QAccessible::Description) return bar_->tabToolTip(index_);
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = bar_->tabRect(index_);
        return QRect(bar_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.selected = index_ == bar_->currentIndex();
        s.focusable = true;
        s.focused = s.selected && bar_->hasFocus();
        s.disabled = !bar_->isTabEnabled(index_);
        s.invisible = !bar_->isVisible() || !bar_->isTabVisible(index_);
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override {
        if (name == pressAction() && isValid() && bar_->isTabEnabled(index_)) bar_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QTabBar> bar_;
    int index_;
};

// The bar: its children are its tabs.
class TabBarInterface : public QAccessibleWidget {
public:
    explicit TabBarInterface(QTabBar *bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarInterface() override {
        for (QAccessible::Id id : std::as_const(tabs_)) QAccessible::deleteAccessibleInterface(id);
    }
    // Named by the tab shown, unless the bar was given a name of its own.
    QString text(QAccessible::Text t) const override {
        QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty() && bar()->currentIndex() >= 0)
            own = QString(bar()->tabText(bar()->currentIndex())).remove(QLatin1Char('&'));
        return own;
    }
    int childCount() const override { return bar()->count(); }
    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= bar()->count()) return nullptr;
        if (const QAccessible::Id id = tabs_.value(index))
            if (QAccessibleInterface *known = QAccessible::accessibleInterface(id)) return known;
        auto *tab = new TabAccessible(bar(), index);
        tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        for (auto it = tabs_.cbegin(); it != tabs_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child) return it.key();
        return -1;
    }
    QAccessibleInterface *focusChild() const override { return bar()->hasFocus() ? child(bar()->currentIndex()) : nullptr; }

private:
    QTabBar *bar() const { return static_cast<QTabBar *>(widget()); }
    mutable QHash<int, QAccessible::Id> tabs_;
};

}  // namespace

QAccessibleInterface *tabBarAccessible(const QString &, QObject *object) {
    if (auto *bar = qobject_cast<QTabBar *>(object)) return new TabBarInterface(bar);
    return nullptr;
}

}  // namespace tqen::forms
