#include "session/NotificationCenter.h"

#include <algorithm>
#include <condition_variable>
#include <thread>

namespace tarvendo {

// One observer and the threads running its block right now, so that removal
// can wait for them.
class NotificationCenter::Registration {
public:
    Registration(ObserverToken token, Event name, NotificationBlock block)
        : token(token), name(name), block_(std::move(block)) {}

    const ObserverToken token;
    const Event name;

    void deliver(const Notification& notification) {
        if (!enter()) {
            return;
        }
        struct LeaveOnExit {
            Registration& registration;
            ~LeaveOnExit() { registration.leave(); }
        } leaveOnExit{*this};
        block_(notification);
    }

    // Stops new deliveries and waits for those on other threads to end.
    void retire() {
        std::unique_lock lock(mutex_);
        retired_ = true;
        const std::thread::id self = std::this_thread::get_id();
        left_.wait(lock, [&] {
            return std::all_of(running_.begin(), running_.end(),
                               [&](std::thread::id id) { return id == self; });
        });
    }

private:
    bool enter() {
        const std::lock_guard lock(mutex_);
        if (retired_) {
            return false;
        }
        running_.push_back(std::this_thread::get_id());
        return true;
    }

    void leave() {
        {
            const std::lock_guard lock(mutex_);
            running_.erase(std::find(running_.begin(), running_.end(), std::this_thread::get_id()));
        }
        left_.notify_all();
    }

    const NotificationBlock block_;  // runs without mutex_ held
    std::mutex mutex_;               // guards the two fields below
    std::condition_variable left_;
    bool retired_ = false;
    std::vector<std::thread::id> running_;  // one entry per call in progress
};

NotificationCenter::NotificationCenter() = default;
NotificationCenter::~NotificationCenter() = default;

ObserverToken NotificationCenter::addObserver(Event name, NotificationBlock block) {
    const std::lock_guard lock(mutex_);
    const ObserverToken token{++lastId_};
    registrations_.push_back(std::make_shared<Registration>(token, name, std::move(block)));
    return token;
}

void NotificationCenter::post(Event name, UserInfo userInfo) {
    const Notification notification{name, std::move(userInfo)};
    for (const std::shared_ptr<Registration>& observer : observersOf(name)) {
        observer->deliver(notification);
    }
}

void NotificationCenter::removeObserver(ObserverToken token) {
    if (const std::shared_ptr<Registration> removed = takeOut(token)) {
        removed->retire();
    }
}

std::vector<std::shared_ptr<NotificationCenter::Registration>> NotificationCenter::observersOf(
    Event name) {
    std::vector<std::shared_ptr<Registration>> matching;
    const std::lock_guard lock(mutex_);
    std::copy_if(registrations_.begin(), registrations_.end(), std::back_inserter(matching),
                 [name](const auto& registration) { return registration->name == name; });
    return matching;
}

std::shared_ptr<NotificationCenter::Registration> NotificationCenter::takeOut(ObserverToken token) {
    const std::lock_guard lock(mutex_);
    const auto found =
        std::find_if(registrations_.begin(), registrations_.end(),
                     [token](const auto& registration) { return registration->token == token; });
    if (found == registrations_.end()) {
        return nullptr;
    }
    std::shared_ptr<Registration> removed = std::move(*found);
    registrations_.erase(found);
    return removed;
}

}  // namespace tarvendo
