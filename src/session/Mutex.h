#pragma once

#include <pthread.h>

#include <functional>
#include <string>

namespace tarvendo {

// A named, non-recursive lock whose one operation runs a callback while held.
// The owner destroys it only when no thread can be inside sync().
class Mutex {
public:
    using LockCall = int (*)(pthread_mutex_t*);

    explicit Mutex(std::string name);
    // Lets tests stand in for the lock calls to reach the failure paths, which a
    // default POSIX mutex never takes on its own.
    Mutex(std::string name, LockCall lock, LockCall unlock);
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    // Runs the callback with the lock held and unlocks on every way out. When
    // the lock cannot be taken, prints "Mutex.<name>: can't be locked" and
    // skips the callback; a failed unlock prints "...: can't be unlocked".
    // Not re-entrant: the callback must not call sync() on this instance.
    void sync(const std::function<void()>& callback);

private:
    void unlock();

    pthread_mutex_t mutex_;
    const std::string name_;
    const LockCall lock_;
    const LockCall unlock_;
};

}  // namespace tarvendo
