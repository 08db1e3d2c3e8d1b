#include "session/Mutex.h"

#include "transport/Diagnostics.h"

namespace tarvendo {

Mutex::Mutex(std::string name) : Mutex(std::move(name), pthread_mutex_lock, pthread_mutex_unlock) {}

Mutex::Mutex(std::string name, LockCall lock, LockCall unlock)
    : name_(std::move(name)), lock_(lock), unlock_(unlock) {
    pthread_mutex_init(&mutex_, nullptr);
}

Mutex::~Mutex() {
    pthread_mutex_destroy(&mutex_);
}

void Mutex::sync(const std::function<void()>& callback) {
    if (lock_(&mutex_) != 0) {
        printLine("Mutex." + name_ + ": can't be locked");
        return;
    }
    struct UnlockOnExit {
        Mutex& owner;
        ~UnlockOnExit() { owner.unlock(); }
    } unlockOnExit{*this};
    callback();
}

void Mutex::unlock() {
    if (unlock_(&mutex_) != 0) {
        printLine("Mutex." + name_ + ": can't be unlocked");
    }
}

}  // namespace tarvendo
