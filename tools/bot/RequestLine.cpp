#include "bot/RequestLine.h"

#include "protocol/Exchange.h"

namespace tarvendo::bot {

bool RequestLine::connect(const Address& server) {
    const std::lock_guard lock(exchangeMutex_);
    socket_ = Socket::create();
    return socket_ && connectSocket(*socket_, server);
}

std::optional<Answer> RequestLine::send(RequestCode code, const std::optional<Json>& body) {
    Request request{code, waitForToken(std::chrono::milliseconds{0}), std::nullopt,
                    body ? ToolBox::toJsonObject(body) : std::nullopt};
    const std::lock_guard lock(exchangeMutex_);
    if (!socket_) {
        return std::nullopt;
    }
    return exchange(*socket_, request);
}

void RequestLine::close() {
    const std::lock_guard lock(exchangeMutex_);
    if (socket_) {
        socket_->close();
    }
}

void RequestLine::setToken(std::string token) {
    {
        const std::lock_guard lock(tokenMutex_);
        token_ = std::move(token);
    }
    tokenSet_.notify_all();
}

std::optional<std::string> RequestLine::waitForToken(std::chrono::milliseconds limit) const {
    std::unique_lock lock(tokenMutex_);
    tokenSet_.wait_for(lock, limit, [this] { return token_.has_value(); });
    return token_;
}

}  // namespace tarvendo::bot
