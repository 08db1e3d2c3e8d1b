#pragma once

#include <avahi-client/publish.h>

#include <cstdint>
#include <functional>
#include <string>

#include "discovery/AvahiSession.h"
#include "discovery/DiscoveryStatus.h"
#include "discovery/ServiceIdentity.h"

namespace tarvendo {

// Publishes one DNS-SD service (by default the game server's) through the
// Avahi daemon, for as long as it lives. Without a daemon the program runs on:
// start() says so in one line, and the service is published once the daemon
// appears. A name taken by another service on the network is replaced by
// Avahi's alternative ("Tarvendo #2"), which is reported, since clients look
// for the exact name only.
class ServiceAdvertiser {
public:
    // Both run on the Avahi loop thread; neither may destroy the advertiser.
    struct Handlers {
        std::function<void(const std::string& name)> published;  // now visible under name
        std::function<void(const std::string& line)> problem;    // one line for the log
    };

    explicit ServiceAdvertiser(std::int32_t port, Handlers handlers = {},
                               ServiceIdentity identity = {});
    ~ServiceAdvertiser();  // unpublishes; never from inside a handler
    ServiceAdvertiser(const ServiceAdvertiser&) = delete;
    ServiceAdvertiser& operator=(const ServiceAdvertiser&) = delete;

    // Once per advertiser. Ok when the daemon has accepted the service;
    // publication itself completes later (Handlers::published).
    DiscoveryStatus start();
    // Unpublishes; from any thread, any number of times.
    void stop();
    // The name asked for, or the one a collision forced.
    std::string name() const;

private:
    DiscoveryStatus clientChanged(AvahiClient* client, AvahiClientState state);
    DiscoveryStatus publishLocked(AvahiClient* client);
    DiscoveryStatus addServiceLocked();
    void renameLocked();
    void report(const std::string& line) const;
    static void groupChanged(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self);

    const ServiceIdentity identity_;
    const std::int32_t port_;
    const Handlers handlers_;
    // Guarded by the session's loop lock.
    std::string name_;
    AvahiEntryGroup* group_ = nullptr;
    // Last, so it ends before the fields its callbacks use.
    AvahiSession session_;
};

}  // namespace tarvendo
