#pragma once

#include "protocol/ToolBox.h"

namespace tarvendo::client {

// Receives what the deal title dialog decided.
class CardDealTitleDelegate {
public:
    // The accepted title as {"title": text}, trimmed and never empty; called
    // before the dialog closes.
    virtual void cardDealTitleDidAccept(const Json& dictionary) = 0;
    // The dialog closed without a title.
    virtual void cardDealTitleDidCancel() = 0;

protected:
    ~CardDealTitleDelegate() = default;
};

}  // namespace tarvendo::client
