#include "Exchange.h"

#include "Frame.h"
#include "GameServerConnection.h"
#include "SocketPrimitives.h"

#include <mutex>

namespace tarvendo {

namespace {

struct Outcome {
    std::optional<Answer> answer;
    FrameStatus status = FrameStatus::ok;
};

std::mutex watcherMutex;
std::shared_ptr<ExchangeWatcher> installedWatcher;  // guarded by watcherMutex

std::shared_ptr<ExchangeWatcher> watcher() {
    const std::lock_guard lock(watcherMutex);
    return installedWatcher;
}

Outcome exchangeFrames(Socket& connection, const Request& request,
                       std::chrono::milliseconds timeout) {
    const std::optional<ByteBuffer> payload = request.json();
    if (!payload) {
        return {};
    }
    connection.setTimeouts(timeout, timeout);
    writeFrame(connection, *payload);
    Outcome outcome;
    const std::optional<ByteBuffer> answer = readFrame(connection, {}, &outcome.status);
    if (outcome.status == FrameStatus::timedOut || outcome.status == FrameStatus::tooLong) {
        connection.close();
    }
    if (answer) {
        outcome.answer = Answer::usingJson(*answer);
    }
    return outcome;
}

ExchangeEnd endOf(const Outcome& outcome, bool wasConnected) {
    if (outcome.answer) {
        return ExchangeEnd::answered;
    }
    return wasConnected && outcome.status != FrameStatus::ok ? ExchangeEnd::connectionLost
                                                             : ExchangeEnd::noAnswer;
}

}  // namespace

void setExchangeWatcher(std::shared_ptr<ExchangeWatcher> watcher) {
    const std::lock_guard lock(watcherMutex);
    installedWatcher = std::move(watcher);
}

std::optional<Answer> exchange(Socket& connection, const Request& request,
                               std::chrono::milliseconds timeout) {
    return exchangeFrames(connection, request, timeout).answer;
}

std::optional<Answer> exchange(const Request& request, std::chrono::milliseconds timeout) {
    const std::shared_ptr<ExchangeWatcher> watching = watcher();
    if (watching) {
        watching->exchangeStarted();
    }
    const bool wasConnected = isConnectedToServer.load();
    Outcome outcome = exchangeFrames(socket(), request, timeout);
    if (!socket().isOpen()) {
        isConnectedToServer.store(false);
    }
    if (watching) {
        watching->exchangeEnded(endOf(outcome, wasConnected));
    }
    return std::move(outcome.answer);
}

bool connectSocket(Socket& connection, const Address& server) {
    if (server.port < 0 || server.port > 65535) {
        return false;
    }
    // Bounds the connect itself too: an unreachable host must not hang the UI.
    connection.setTimeouts(kExchangeTimeout, kExchangeTimeout);
    return connect_socket(connection.descriptor(), server.address.c_str(),
                          static_cast<std::uint16_t>(server.port)) != -1;
}

bool connectToGameServer(const Address& server) {
    if (!isConnectedToServer.load()) {
        Socket& connection = socket();
        isConnectedToServer.store(connection.reopen() && connectSocket(connection, server));
    }
    return isConnectedToServer.load();
}

void closeGameServerConnection() {
    socket().close();
    isConnectedToServer.store(false);
}

}  // namespace tarvendo
