#include "session/PushedRequests.h"

#include <optional>
#include <unordered_map>

#include "protocol/ToolBox.h"

namespace tarvendo {

namespace {

// A push without a token is nobody's: before a login, absent would equal absent.
bool tokenPasses(const Request& request, const PushReceiver& receiver) {
    return request.token && request.token == receiver.shared.token();
}

std::optional<Json> dataObject(const Request& request) {
    std::optional<Json> data = ToolBox::fromJsonObject(request.data);
    if (!data || !data->is_object()) {
        return std::nullopt;
    }
    return data;
}

// The data object's "player_name" when it is text.
std::optional<UserInfo> playerNameInfo(const Request& request) {
    const std::optional<Json> data = dataObject(request);
    if (!data) {
        return std::nullopt;
    }
    std::optional<std::string> name =
        UserInfo::fromJsonObject(*data).get<std::string>("player_name");
    if (!name) {
        return std::nullopt;
    }
    return UserInfo().setText("player_name", std::move(*name));
}

void postWithPlayerName(Event event, const Request& request, const PushReceiver& receiver) {
    if (!tokenPasses(request, receiver)) {
        return;
    }
    if (std::optional<UserInfo> info = playerNameInfo(request)) {
        receiver.center.post(event, std::move(*info));
    }
}

void postWithDataObject(Event event, const Request& request, const PushReceiver& receiver) {
    if (!tokenPasses(request, receiver)) {
        return;
    }
    if (const std::optional<Json> data = dataObject(request)) {
        receiver.center.post(event, UserInfo::fromJsonObject(*data));
    }
}

void postIfTokenPasses(Event event, const Request& request, const PushReceiver& receiver) {
    if (tokenPasses(request, receiver)) {
        receiver.center.post(event);
    }
}

// How a pushed code becomes its event: which rule applies and what it posts.
struct Route {
    Event event;
    void (*postBy)(Event, const Request&, const PushReceiver&);
};

// The login and logout codes have no entry: the client only ever sends them.
const std::unordered_map<RequestCode, Route> kCall = {
    {RequestCode::playerAdded, {Event::playerDidAdd, postWithPlayerName}},
    {RequestCode::playerRemoved, {Event::playerDidRemove, postWithPlayerName}},
    {RequestCode::initNewDeal, {Event::initNewDeal, postWithDataObject}},
    {RequestCode::play, {Event::play, postIfTokenPasses}},
    {RequestCode::openCards, {Event::openCards, postIfTokenPasses}},
    {RequestCode::cardElected, {Event::cardElected, postWithDataObject}},
};

}  // namespace

void handlePushedRequest(const Request& request, const PushReceiver& receiver) {
    const auto route = kCall.find(request.request);
    if (route != kCall.end()) {
        route->second.postBy(route->second.event, request, receiver);
    }
}

}  // namespace tarvendo
