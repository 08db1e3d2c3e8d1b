#include "protocol/GameServerConnection.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "transport/Diagnostics.h"

namespace tarvendo {

namespace {

ExchangeEnd endOf(const ExchangeResult& result, bool wasConnected) {
    if (result.answer) {
        return ExchangeEnd::answered;
    }
    return wasConnected && result.status != FrameStatus::ok ? ExchangeEnd::connectionLost
                                                            : ExchangeEnd::noAnswer;
}

}  // namespace

Socket& GameServerConnection::socket() {
    if (!socket_) {
        socket_ = Socket::create();
        if (!socket_) {
            printLine("Fatal: can't create the connection to the game server");
            std::exit(EXIT_FAILURE);  // NOLINT(concurrency-mt-unsafe): nothing can go on
        }
    }
    return *socket_;
}

bool GameServerConnection::connect(const Address& server, std::chrono::milliseconds timeout) {
    if (!isConnectedToServer()) {
        Socket& connection = socket();
        isConnectedToServer_.store(connection.reopen() &&
                                   connectSocket(connection, server, timeout));
    }
    return isConnectedToServer();
}

bool GameServerConnection::peerHasClosed() {
    std::uint8_t byte = 0;
    const ssize_t got =
        ::recv(socket().descriptor(), &byte, 1, MSG_PEEK | MSG_DONTWAIT | MSG_NOSIGNAL);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

std::optional<Answer> GameServerConnection::exchange(const Request& request,
                                                     std::chrono::milliseconds timeout) {
    const std::shared_ptr<ExchangeWatcher> watching = watcher();
    if (watching) {
        watching->exchangeStarted();
    }
    const bool wasConnected = isConnectedToServer();
    ExchangeResult result = exchangeFrames(socket(), request, timeout);
    if (!socket().isOpen()) {
        isConnectedToServer_.store(false);
    }
    if (watching) {
        watching->exchangeEnded(endOf(result, wasConnected));
    }
    return std::move(result.answer);
}

void GameServerConnection::close() {
    socket().close();
    isConnectedToServer_.store(false);
}

void GameServerConnection::setWatcher(std::shared_ptr<ExchangeWatcher> watcher) {
    const std::lock_guard lock(watcherMutex_);
    watcher_ = std::move(watcher);
}

std::shared_ptr<ExchangeWatcher> GameServerConnection::watcher() {
    const std::lock_guard lock(watcherMutex_);
    return watcher_;
}

}  // namespace tarvendo
