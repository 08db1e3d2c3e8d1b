#include "protocol/Exchange.h"

#include "transport/SocketPrimitives.h"

namespace tarvendo {

ExchangeResult exchangeFrames(Socket& connection, const Request& request,
                              std::chrono::milliseconds timeout) {
    const std::optional<ByteBuffer> payload = request.json();
    if (!payload) {
        return {};
    }
    connection.setTimeouts(timeout, timeout);
    writeFrame(connection, *payload);
    ExchangeResult result;
    const FrameLimits answerLimits{kMaxFrameLength, std::chrono::milliseconds{0}, timeout};
    const std::optional<ByteBuffer> answer = readFrame(connection, answerLimits, &result.status);
    if (result.status == FrameStatus::timedOut || result.status == FrameStatus::tooLong) {
        connection.close();
    }
    if (answer) {
        result.answer = Answer::usingJson(*answer);
    }
    return result;
}

std::optional<Answer> exchange(Socket& connection, const Request& request,
                               std::chrono::milliseconds timeout) {
    return exchangeFrames(connection, request, timeout).answer;
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

}  // namespace tarvendo
