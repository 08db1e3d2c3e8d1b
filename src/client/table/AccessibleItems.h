#pragma once

#include <QAccessible>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace tarvendo::client {

// A view whose parts a screen reader reads one by one, by index: the deck's
// cards, the table's seats. The view says what each is; the accessible
// interfaces that the factory makes (AccessibleItemList) ask it.
class AccessibleItems {
public:
    virtual ~AccessibleItems() = default;

    virtual QAccessible::Role accessibleItemRole() const = 0;
    virtual int accessibleItemCount() const = 0;
    virtual QString accessibleItemName(int index) const = 0;
    // In the view's coordinates.
    virtual QRect accessibleItemRect(int index) const = 0;
    virtual QAccessible::State accessibleItemState(int index) const = 0;
};

// Makes Qt's accessibility ask AccessibleItems views for their parts; once
// per process, later calls do nothing.
void installAccessibleItems();

// Tells assistive technology that the part changed (name, state or focus).
void announceItem(QWidget* view, int index, QAccessible::Event change);
void announceItemState(QWidget* view, int index, QAccessible::State changed);
// Whether anybody listens: Qt's accessibility is active, or a handler is set.
bool isAnnouncing();

// Replaces where announcements go, so tests can record them where the
// platform has no accessibility; the empty handler gives them back to Qt.
// Returns the handler installed before. Main thread only.
using AnnouncementHandler = std::function<void(QAccessibleEvent& event)>;
AnnouncementHandler setAnnouncementHandler(AnnouncementHandler handler);

}  // namespace tarvendo::client
