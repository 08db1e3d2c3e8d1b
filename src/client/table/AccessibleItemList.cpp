#include "client/table/AccessibleItemList.h"

#include <QWidget>

#include <utility>

namespace tarvendo::client {

namespace {

// One part of an AccessibleItems view, read from the view on every call.
class AccessibleItem : public QAccessibleInterface {
public:
    AccessibleItem(const AccessibleItemList& list, int index) : list_(list), index_(index) {}

    bool isValid() const override { return index_ < list_.items().accessibleItemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_.window(); }
    QAccessibleInterface* parent() const override {
        return const_cast<AccessibleItemList*>(&list_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? list_.items().accessibleItemName(index_)
                                                      : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const auto* view = static_cast<const QWidget*>(list_.object());
        const QRect area = isValid() ? list_.items().accessibleItemRect(index_) : QRect();
        return {view->mapToGlobal(area.topLeft()), area.size()};
    }
    QAccessible::Role role() const override { return list_.items().accessibleItemRole(); }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invalid = !isValid();
        return isValid() ? list_.items().accessibleItemState(index_) : state;
    }

    int index() const { return index_; }

private:
    const AccessibleItemList& list_;
    const int index_;
};

AnnouncementHandler& announcementHandler() {
    static AnnouncementHandler handler;
    return handler;
}

void announce(QAccessibleEvent& event) {
    if (announcementHandler()) {
        announcementHandler()(event);
    } else {
        QAccessible::updateAccessibility(&event);
    }
}

QAccessibleInterface* itemsFactory(const QString&, QObject* object) {
    auto* view = qobject_cast<QWidget*>(object);
    const auto* items = dynamic_cast<const AccessibleItems*>(object);
    return view && items ? new AccessibleItemList(view, *items) : nullptr;
}

}  // namespace

AccessibleItemList::AccessibleItemList(QWidget* view, const AccessibleItems& items)
    : QAccessibleWidget(view, QAccessible::List), items_(items) {}

AccessibleItemList::~AccessibleItemList() {
    for (const QAccessible::Id id : children_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

int AccessibleItemList::childCount() const {
    return items_.accessibleItemCount();
}

QAccessibleInterface* AccessibleItemList::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    while (int(children_.size()) <= index) {
        children_.push_back(QAccessible::registerAccessibleInterface(
            new AccessibleItem(*this, int(children_.size()))));
    }
    return QAccessible::accessibleInterface(children_[std::size_t(index)]);
}

int AccessibleItemList::indexOfChild(const QAccessibleInterface* child) const {
    const auto* item = dynamic_cast<const AccessibleItem*>(child);
    return item && item->parent() == this && item->isValid() ? item->index() : -1;
}

QAccessibleInterface* AccessibleItemList::childAt(int x, int y) const {
    const QPoint point = widget()->mapFromGlobal(QPoint(x, y));
    for (int index = 0; index < childCount(); ++index) {
        if (items_.accessibleItemRect(index).contains(point)) {
            return child(index);
        }
    }
    return nullptr;
}

QAccessibleInterface* AccessibleItemList::focusChild() const {
    for (int index = 0; index < childCount(); ++index) {
        if (items_.accessibleItemState(index).focused) {
            return child(index);
        }
    }
    return nullptr;
}

void installAccessibleItems() {
    static const bool installed = [] {
        QAccessible::installFactory(itemsFactory);
        return true;
    }();
    (void)installed;
}

void announceItem(QWidget* view, int index, QAccessible::Event change) {
    if (isAnnouncing()) {
        QAccessibleEvent event(view, change);
        event.setChild(index);
        announce(event);
    }
}

void announceItemState(QWidget* view, int index, QAccessible::State changed) {
    if (isAnnouncing()) {
        QAccessibleStateChangeEvent event(view, changed);
        event.setChild(index);
        announce(event);
    }
}

bool isAnnouncing() {
    return announcementHandler() || QAccessible::isActive();
}

AnnouncementHandler setAnnouncementHandler(AnnouncementHandler handler) {
    return std::exchange(announcementHandler(), std::move(handler));
}

}  // namespace tarvendo::client
