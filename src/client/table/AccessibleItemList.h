#pragma once

#include <QAccessibleWidget>

#include <vector>

#include "client/table/AccessibleItems.h"

namespace tarvendo::client {

// A view of AccessibleItems as Qt's accessibility sees it: one child per
// part, each made when first asked for and kept until the view goes.
class AccessibleItemList : public QAccessibleWidget {
public:
    AccessibleItemList(QWidget* view, const AccessibleItems& items);
    ~AccessibleItemList() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    const AccessibleItems& items() const { return items_; }

private:
    const AccessibleItems& items_;
    mutable std::vector<QAccessible::Id> children_;
};

}  // namespace tarvendo::client
