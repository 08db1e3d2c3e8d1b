#include "support/PushSink.h"

#include <stdexcept>

#include "transport/Frame.h"

namespace tarvendo::test {

namespace {

class Reader : public ServerThread {
public:
    Reader(std::shared_ptr<Socket> socket, Waitable<Request>& pushes)
        : ServerThread(std::move(socket)), pushes_(pushes) {}
    void run() override {
        FrameReader frames(socket());
        while (const std::optional<ByteBuffer> payload = frames.next()) {
            if (std::optional<Request> push = Request::usingJson(*payload)) {
                pushes_.push(std::move(*push));
            }
        }
    }

private:
    Waitable<Request>& pushes_;
};

class Readers : public ServerDelegate {
public:
    explicit Readers(Waitable<Request>& pushes) : pushes_(pushes) {}
    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override {
        return std::make_shared<Reader>(std::move(socket), pushes_);
    }

private:
    Waitable<Request>& pushes_;
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
