#include "server/RequestConnection.h"

#include "server/Outcome.h"

namespace tarvendo::server {

RequestConnection::RequestConnection(std::shared_ptr<Socket> socket, ConnectionId id,
                                     GameHost& host, EventLog& log, FrameLimits limits)
    : ServerThread(std::move(socket)),
      id_(id),
      host_(host),
      log_(log),
      limits_(limits),
      frames_(this->socket(), limits) {}

void RequestConnection::run() {
    host_.connectionOpened(id_, [this] { requestClose(); });
    while (!shouldClose() && serveNextFrame()) {
    }
    host_.connectionClosed(id_);
}

bool RequestConnection::serveNextFrame() {
    FrameStatus status = FrameStatus::ok;
    const std::optional<ByteBuffer> payload = frames_.next(&status);
    if (!payload) {
        reportLoss(status);
        return false;
    }
    if (!answeredOne_) {
        answeredOne_ = true;
        FrameLimits limits = limits_;
        limits.totalTimeout = std::chrono::milliseconds{0};
        frames_.setLimits(limits);
    }
    const std::optional<ByteBuffer> answer = answerFor(*payload).json();
    const bool written = answer && writeFrame(socket(), *answer);
    host_.answerWritten(id_);
    return written;
}

Answer RequestConnection::answerFor(const ByteBuffer& payload) {
    const std::optional<Request> request = Request::usingJson(payload);
    if (!request) {
        log_.record("unknownRequest", "",
                    "undecodable request from " + clientAddress().value_or("?"));
        return refused(AnswerMessage::unknownRequest, "The request could not be decoded");
    }
    return host_.answer(*request, id_, clientAddress());
}

void RequestConnection::reportLoss(FrameStatus status) {
    const std::string peer = clientAddress().value_or("?");
    if (status == FrameStatus::tooLong) {
        const std::optional<ByteBuffer> answer =
            refused(
                AnswerMessage::invalidData,
                "Frames longer than " + std::to_string(limits_.maxLength) + " bytes are refused")
                .json();
        if (answer) {
            writeFrame(socket(), *answer);
        }
        log_.record("connectionDropped", "", "oversized frame from " + peer);
    } else if (status == FrameStatus::timedOut) {
        log_.record("connectionDropped", "",
                    (answeredOne_ ? "stalled frame from " : "no request in time from ") + peer);
    }
}

std::shared_ptr<ServerThread> RequestConnections::serverThread(std::shared_ptr<Socket> socket) {
    return std::make_shared<RequestConnection>(std::move(socket), nextId_.fetch_add(1), host_, log_,
                                               limits_);
}

}  // namespace tarvendo::server
