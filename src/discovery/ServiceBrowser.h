#pragma once

#include <avahi-client/lookup.h>

#include <functional>
#include <string>
#include <vector>

#include "discovery/AvahiSession.h"
#include "discovery/DiscoveryStatus.h"
#include "discovery/ServiceIdentity.h"
#include "transport/Address.h"

namespace tarvendo {

// Looks for one DNS-SD service (by default the game server) over IPv4: every
// service of the type is resolved, and each resolution that carries the exact
// instance name and a usable IPv4 address is reported. The browse goes on
// until stop(); a time limit is the owner's business.
//
// Threads: all handlers run on the Avahi loop thread, one at a time, with the
// loop's lock held. They may call stop() but must not block for long or
// destroy the browser; hand results to another thread instead.
class ServiceBrowser {
public:
    struct Handlers {
        // One resolved service: its IPv4 addresses (never empty), all with its port.
        std::function<void(std::vector<Address>)> found;
        // The daemon has reported every service it knew of when the browse began.
        std::function<void()> allForNow;
        // One line about a failure; the browse resumes if the daemon returns.
        std::function<void(const std::string& line)> problem;
    };

    explicit ServiceBrowser(Handlers handlers, ServiceIdentity identity = {});
    ~ServiceBrowser();  // stops; never from inside a handler
    ServiceBrowser(const ServiceBrowser&) = delete;
    ServiceBrowser& operator=(const ServiceBrowser&) = delete;

    // Once per browser; not ok when the daemon cannot be reached.
    DiscoveryStatus start();
    // Ends the browse and every resolution; no handler runs once it returns
    // (from inside a handler: once that handler returns). From any thread,
    // any number of times.
    void stop();

private:
    DiscoveryStatus clientChanged(AvahiClient* client, AvahiClientState state);
    DiscoveryStatus browseLocked(AvahiClient* client);
    void resolveLocked(AvahiIfIndex interface, AvahiProtocol protocol, const char* name,
                       const char* type, const char* domain);
    void forgetLocked(AvahiServiceResolver* resolver);
    void dropAllLocked();
    void report(const std::string& line) const;
    static void browsed(AvahiServiceBrowser* browser, AvahiIfIndex interface,
                        AvahiProtocol protocol, AvahiBrowserEvent event, const char* name,
                        const char* type, const char* domain, AvahiLookupResultFlags flags,
                        void* self);
    static void resolved(AvahiServiceResolver* resolver, AvahiIfIndex interface,
                         AvahiProtocol protocol, AvahiResolverEvent event, const char* name,
                         const char* type, const char* domain, const char* hostName,
                         const AvahiAddress* address, std::uint16_t port, AvahiStringList* txt,
                         AvahiLookupResultFlags flags, void* self);

    const ServiceIdentity identity_;
    const Handlers handlers_;
    // Guarded by the session's loop lock.
    AvahiClient* client_ = nullptr;
    AvahiServiceBrowser* browser_ = nullptr;
    std::vector<AvahiServiceResolver*> resolvers_;  // kept until each one answers
    // Last, so it ends before the fields its callbacks use.
    AvahiSession session_;
};

}  // namespace tarvendo
