#include "discovery/ServiceBrowser.h"

#include <avahi-common/error.h>

#include <algorithm>
#include <utility>

#include "discovery/ResolvedAddress.h"

namespace tarvendo {

ServiceBrowser::ServiceBrowser(Handlers handlers, ServiceIdentity identity)
    : identity_(std::move(identity)),
      handlers_(std::move(handlers)),
      session_([this](AvahiClient* client,
                      AvahiClientState state) { return clientChanged(client, state); },
               [this](const std::string& line) { report(line); }) {}

ServiceBrowser::~ServiceBrowser() {
    stop();
}

DiscoveryStatus ServiceBrowser::start() {
    return session_.start();
}

void ServiceBrowser::stop() {
    session_.stop([this] { dropAllLocked(); });
}

void ServiceBrowser::dropAllLocked() {
    for (AvahiServiceResolver* resolver : resolvers_) {
        avahi_service_resolver_free(resolver);
    }
    resolvers_.clear();
    if (browser_ != nullptr) {
        avahi_service_browser_free(browser_);
        browser_ = nullptr;
    }
}

DiscoveryStatus ServiceBrowser::clientChanged(AvahiClient* client, AvahiClientState state) {
    if (state == AVAHI_CLIENT_S_RUNNING) {
        return browseLocked(client);
    }
    if (state == AVAHI_CLIENT_FAILURE) {
        // The client frees them with itself.
        browser_ = nullptr;
        resolvers_.clear();
        client_ = nullptr;
    }
    return {};
}

DiscoveryStatus ServiceBrowser::browseLocked(AvahiClient* client) {
    client_ = client;
    if (browser_ != nullptr) {
        return {};
    }
    browser_ = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                         identity_.type.c_str(), identity_.domain.c_str(),
                                         AvahiLookupFlags{}, &ServiceBrowser::browsed, this);
    if (browser_ == nullptr) {
        return DiscoveryStatus::failure(std::string("DNS-SD: cannot browse: ") +
                                        avahi_strerror(avahi_client_errno(client)));
    }
    return {};
}

// Every service of the type is resolved; the name is checked on the answer.
void ServiceBrowser::resolveLocked(AvahiIfIndex interface, AvahiProtocol protocol, const char* name,
                                   const char* type, const char* domain) {
    AvahiServiceResolver* resolver = avahi_service_resolver_new(
        client_, interface, protocol, name, type, domain, AVAHI_PROTO_INET, AvahiLookupFlags{},
        &ServiceBrowser::resolved, this);
    // A service that cannot be resolved is one the client cannot use: skip it.
    if (resolver != nullptr) {
        resolvers_.push_back(resolver);
    }
}

void ServiceBrowser::forgetLocked(AvahiServiceResolver* resolver) {
    std::erase(resolvers_, resolver);
    avahi_service_resolver_free(resolver);
}

void ServiceBrowser::report(const std::string& line) const {
    if (handlers_.problem) {
        handlers_.problem(line);
    }
}

void ServiceBrowser::browsed(AvahiServiceBrowser* /*browser*/, AvahiIfIndex interface,
                             AvahiProtocol protocol, AvahiBrowserEvent event, const char* name,
                             const char* type, const char* domain, AvahiLookupResultFlags /*flags*/,
                             void* self) {
    auto& browser = *static_cast<ServiceBrowser*>(self);
    AvahiSession::CallbackScope scope(browser.session_);
    if (browser.session_.stopping()) {
        return;
    }
    switch (event) {
        case AVAHI_BROWSER_NEW:
            browser.resolveLocked(interface, protocol, name, type, domain);
            break;
        case AVAHI_BROWSER_ALL_FOR_NOW:
            if (browser.handlers_.allForNow) {
                browser.handlers_.allForNow();
            }
            break;
        case AVAHI_BROWSER_FAILURE:
            browser.report(std::string("DNS-SD: browsing failed: ") +
                           avahi_strerror(avahi_client_errno(browser.client_)));
            break;
        case AVAHI_BROWSER_REMOVE:
        case AVAHI_BROWSER_CACHE_EXHAUSTED:
            break;
    }
}

void ServiceBrowser::resolved(AvahiServiceResolver* resolver, AvahiIfIndex /*interface*/,
                              AvahiProtocol /*protocol*/, AvahiResolverEvent event,
                              const char* name, const char* /*type*/, const char* /*domain*/,
                              const char* /*hostName*/, const AvahiAddress* address,
                              std::uint16_t port, AvahiStringList* /*txt*/,
                              AvahiLookupResultFlags /*flags*/, void* self) {
    auto& browser = *static_cast<ServiceBrowser*>(self);
    AvahiSession::CallbackScope scope(browser.session_);
    if (browser.session_.stopping()) {
        return;
    }
    // One answer is all we want from a resolver; free it before a handler may stop us.
    browser.forgetLocked(resolver);
    if (event != AVAHI_RESOLVER_FOUND || name == nullptr || name != browser.identity_.name) {
        return;
    }
    std::vector<Address> addresses = usableAddresses(address, port);
    if (!addresses.empty() && browser.handlers_.found) {
        browser.handlers_.found(std::move(addresses));
    }
}

}  // namespace tarvendo
