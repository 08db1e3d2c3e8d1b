#include "discovery/BonjoureBrowser.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "discovery/ServiceBrowser.h"
#include "session/MainQueue.h"
#include "session/NotificationCenter.h"

namespace tarvendo {

// The state of one run. The Avahi thread and the timer reach it only
// through tasks on the main queue holding a weak reference, so everything
// here happens on the main thread and a stopped or dropped search stays silent.
class BonjoureBrowser::Search : public std::enable_shared_from_this<Search> {
public:
    explicit Search(NotificationCenter& center) : center_(center) {}

    void run(double timeoutAfter) {
        stop();
        stopped_ = false;
        found_.clear();
        const std::weak_ptr<Search> weak = weak_from_this();
        browser_ = std::make_unique<ServiceBrowser>(
            ServiceBrowser::Handlers{[weak](std::vector<Address> addresses) {
                                         runOnMain([weak, addresses = std::move(addresses)] {
                                             if (const auto search = weak.lock()) {
                                                 search->serverResolved(addresses);
                                             }
                                         });
                                     },
                                     {},
                                     {}});
        // Without a daemon nothing is found and the time limit reports it.
        browser_->start();
        timer_ = after(timeoutAfter, [weak] {
            if (const auto search = weak.lock()) {
                search->timeout();
            }
        });
    }

    void stop() {
        stopped_ = true;
        if (timer_) {
            timer_->cancel();
            timer_.reset();
        }
        if (browser_) {
            browser_->stop();
            browser_.reset();
        }
    }

private:
    // A server with several addresses resolves once per interface: each new
    // address is added, and the list so far is posted.
    void serverResolved(const std::vector<Address>& addresses) {
        if (stopped_) {
            return;
        }
        const std::size_t known = found_.size();
        for (const Address& address : addresses) {
            if (std::find(found_.begin(), found_.end(), address) == found_.end()) {
                found_.push_back(address);
            }
        }
        if (found_.size() > known) {
            center_.post(Event::bonjoureServerFound, UserInfo().setAddresses("addresses", found_));
        }
    }

    void timeout() {
        if (stopped_) {
            return;
        }
        stop();
        if (found_.empty()) {
            center_.post(Event::bonjoureServerNotFound);
        }
    }

    NotificationCenter& center_;
    std::vector<Address> found_;  // in the order they resolved
    bool stopped_ = true;
    std::unique_ptr<ServiceBrowser> browser_;
    std::optional<DelayedTask> timer_;
};

BonjoureBrowser::BonjoureBrowser(NotificationCenter& center)
    : search_(std::make_shared<Search>(center)) {}

BonjoureBrowser::~BonjoureBrowser() {
    stop();
}

void BonjoureBrowser::run(double timeoutAfter) {
    search_->run(timeoutAfter);
}

void BonjoureBrowser::stop() {
    search_->stop();
}

}  // namespace tarvendo
