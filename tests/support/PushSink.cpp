#include "support/PushSink.h"

#include <stdexcept>

#include "transport/Frame.h"

namespace tarvendo::test {

namespace {

struct Reader : ServerThread {
    Reader(std::shared_ptr<Socket> socket, Waitable<Request>& pushes)
        : ServerThread(std::move(socket)), pushes(pushes) {}
    void run() override {
        FrameReader frames(socket());
        while (const std::optional<ByteBuffer> payload = frames.next()) {
            if (std::optional<Request> push = Request::usingJson(*payload)) {
                pushes.push(std::move(*push));
            }
        }
    }
    Waitable<Request>& pushes;
};

struct Readers : ServerDelegate {
    explicit Readers(Waitable<Request>& pushes) : pushes(pushes) {}
    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override {
        return std::make_shared<Reader>(std::move(socket), pushes);
    }
    Waitable<Request>& pushes;
};

}  // namespace

PushSink::PushSink()
    : readers_(std::make_shared<Readers>(pushes)),
      serving_(ServingThread::start(Server::create(readers_), 0)) {
    if (!serving_) {
        throw std::runtime_error("the push sink cannot listen");
    }
}

Json bodyOf(const Request& request) {
    std::optional<Json> body = request.data ? ToolBox::fromJsonObject(request.data) : std::nullopt;
    return body && body->is_object() ? *body : Json::object();
}

Request requestWith(RequestCode code, std::optional<std::string> token,
                    const std::optional<Json>& body) {
    return Request{code, std::move(token), std::nullopt,
                   body ? ToolBox::toJsonObject(body) : std::nullopt};
}

bool isPushFor(const Request& push, RequestCode code, const std::string& playerName) {
    return push.request == code && bodyOf(push).value("player_name", "") == playerName;
}

}  // namespace tarvendo::test
