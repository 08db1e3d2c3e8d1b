#pragma once

#include <memory>

namespace tarvendo {

class NotificationCenter;

// One discovery of the game server for the login window: until the time
// limit, posts bonjoureServerFound {"addresses"} with every address found so
// far (without duplicates, in the order they resolved) whenever a new one
// resolves, or bonjoureServerNotFound once the time limit has passed without
// any. Both events are posted on the centre from the main queue.
class BonjoureBrowser {
public:
    explicit BonjoureBrowser(NotificationCenter& center);
    // Stops: a dropped browser never posts.
    ~BonjoureBrowser();
    BonjoureBrowser(const BonjoureBrowser&) = delete;
    BonjoureBrowser& operator=(const BonjoureBrowser&) = delete;

    // Starts the browse and the time limit, in seconds.
    void run(double timeoutAfter);
    // Ends the time limit and the browse; no event follows. Safe at any
    // time, repeatedly, and from an observer of either event.
    void stop();

private:
    class Search;
    std::shared_ptr<Search> search_;
};

}  // namespace tarvendo
