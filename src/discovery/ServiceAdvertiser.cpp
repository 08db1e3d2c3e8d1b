#include "discovery/ServiceAdvertiser.h"

#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

#include <utility>

namespace tarvendo {

namespace {

// Every alternative name Avahi offers is new, but a network full of
// namesakes must not keep us busy for ever.
constexpr int maxNameAttempts = 32;
constexpr std::int32_t maxPort = 65535;

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

ServiceAdvertiser::ServiceAdvertiser(std::int32_t port, Handlers handlers, ServiceIdentity identity)
    : identity_(std::move(identity)),
      port_(port),
      handlers_(std::move(handlers)),
      name_(identity_.name),
      session_([this](AvahiClient* client,
                      AvahiClientState state) { return clientChanged(client, state); },
               [this](const std::string& line) { report(line); }) {}

ServiceAdvertiser::~ServiceAdvertiser() {
    stop();
}

DiscoveryStatus ServiceAdvertiser::start() {
    if (port_ < 1 || port_ > maxPort) {
        return DiscoveryStatus::failure("DNS-SD: cannot advertise port " + std::to_string(port_));
    }
    return session_.start();
}

void ServiceAdvertiser::stop() {
    session_.stop([this] {
        if (group_ != nullptr) {
            avahi_entry_group_free(group_);
            group_ = nullptr;
        }
    });
}

std::string ServiceAdvertiser::name() const {
    std::string name;
    session_.withLock([&] { name = name_; });
    return name;
}

DiscoveryStatus ServiceAdvertiser::clientChanged(AvahiClient* client, AvahiClientState state) {
    switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            return publishLocked(client);
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The host name is changing; publish again once it is settled.
            if (group_ != nullptr) {
                avahi_entry_group_reset(group_);
            }
            return {};
        case AVAHI_CLIENT_FAILURE:
            group_ = nullptr;  // freed with the client
            return {};
        case AVAHI_CLIENT_CONNECTING:
            return {};
    }
    return {};
}

DiscoveryStatus ServiceAdvertiser::publishLocked(AvahiClient* client) {
    if (group_ == nullptr) {
        group_ = avahi_entry_group_new(client, &ServiceAdvertiser::groupChanged, this);
        if (group_ == nullptr) {
            return DiscoveryStatus::failure(std::string("DNS-SD: cannot publish: ") +
                                            avahi_strerror(avahi_client_errno(client)));
        }
    }
    if (!avahi_entry_group_is_empty(group_)) {
        return {};
    }
    return addServiceLocked();
}

DiscoveryStatus ServiceAdvertiser::addServiceLocked() {
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
        const int added = avahi_entry_group_add_service(
            group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags{}, name_.c_str(),
            identity_.type.c_str(), identity_.domain.c_str(), nullptr,
            static_cast<std::uint16_t>(port_), nullptr);
        if (added == AVAHI_ERR_COLLISION) {  // a local service holds the name
            renameLocked();
            continue;
        }
        const int result = added < 0 ? added : avahi_entry_group_commit(group_);
        if (result < 0) {
            return DiscoveryStatus::failure("DNS-SD: cannot publish " + quoted(name_) + ": " +
                                            avahi_strerror(result));
        }
        return {};
    }
    return DiscoveryStatus::failure("DNS-SD: no free name for " + quoted(identity_.name));
}

void ServiceAdvertiser::renameLocked() {
    char* alternative = avahi_alternative_service_name(name_.c_str());
    const std::string previous = std::exchange(name_, alternative);
    avahi_free(alternative);
    report("DNS-SD: name " + quoted(previous) + " is taken; renamed to " + quoted(name_));
}

void ServiceAdvertiser::report(const std::string& line) const {
    if (handlers_.problem) {
        handlers_.problem(line);
    }
}

void ServiceAdvertiser::groupChanged(AvahiEntryGroup* group, AvahiEntryGroupState state,
                                     void* self) {
    auto& advertiser = *static_cast<ServiceAdvertiser*>(self);
    AvahiSession::CallbackScope scope(advertiser.session_);
    if (advertiser.session_.stopping()) {
        return;
    }
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED && advertiser.handlers_.published) {
        advertiser.handlers_.published(advertiser.name_);
    } else if (state == AVAHI_ENTRY_GROUP_COLLISION) {
        // Another host on the network holds the name.
        advertiser.renameLocked();
        avahi_entry_group_reset(group);
        const DiscoveryStatus status = advertiser.addServiceLocked();
        if (!status.ok) {
            advertiser.report(status.message);
        }
    } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
        advertiser.report("DNS-SD: publishing " + quoted(advertiser.name_) + " failed: " +
                          avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(group))));
    }
}

}  // namespace tarvendo
