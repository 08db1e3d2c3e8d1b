#include "Exchange.h"

#include "Frame.h"
#include "GameServerConnection.h"
#include "SocketPrimitives.h"

namespace tarvendo {

std::optional<Answer> exchange(Socket& connection, const Request& request,
                               std::chrono::milliseconds timeout) {
    const std::optional<ByteBuffer> payload = request.json();
    if (!payload) {
        return std::nullopt;
    }
    connection.setTimeouts(timeout, timeout);
    writeFrame(connection, *payload);
    FrameStatus status = FrameStatus::ok;
    const std::optional<ByteBuffer> answer = readFrame(connection, {}, &status);
    if (status == FrameStatus::timedOut || status == FrameStatus::tooLong) {
        connection.close();
    }
    if (!answer) {
        return std::nullopt;
    }
    return Answer::usingJson(*answer);
}

std::optional<Answer> exchange(const Request& request, std::chrono::milliseconds timeout) {
    std::optional<Answer> answer = exchange(socket(), request, timeout);
    if (!socket().isOpen()) {
        isConnectedToServer.store(false);
    }
    return answer;
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
