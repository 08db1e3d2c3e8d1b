#include "protocol/Exchange.h"

#include <cerrno>

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
    const std::optional<ByteBuffer> answer =
        FrameReader(connection, answerLimits, FrameReader::Reads::exact).next(&result.status);
    // Closed by the peer, silent too long or out of step: either way this
    // connection can never pair an answer with a request again.
    if (result.status != FrameStatus::ok) {
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

bool connectSocket(Socket& connection, const Address& server, std::chrono::milliseconds timeout) {
    if (server.port < 0 || server.port > 65535) {
        return false;
    }
    // Bounds the connect itself too: an unreachable host must not hang the UI.
    connection.setTimeouts(timeout, timeout);
    if (connect_socket(connection.descriptor(), server.address.c_str(),
                       static_cast<std::uint16_t>(server.port)) != -1) {
        return true;
    }
    // A handshake that did not finish in time goes on in the kernel: the
    // next connect on this descriptor would fail with EALREADY, or reach the
    // old address. A refused one leaves the descriptor ready for another try.
    if (errno != ECONNREFUSED) {
        connection.close();
    }
    return false;
}

}  // namespace tarvendo
