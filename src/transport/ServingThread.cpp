#include "transport/ServingThread.h"

namespace tarvendo {

std::unique_ptr<ServingThread> ServingThread::start(std::shared_ptr<Server> server,
                                                    std::int32_t port,
                                                    std::function<void()> onEnd) {
    if (!server || !server->listenOn(port)) {
        return nullptr;
    }
    const std::int32_t bound = server->boundPort().value_or(port);
    std::unique_ptr<ServingThread> serving(new ServingThread(std::move(server), bound));
    serving->thread_ = std::thread([server = serving->server_, onEnd = std::move(onEnd)] {
        server->serve();
        if (onEnd) {
            onEnd();
        }
    });
    return serving;
}

ServingThread::~ServingThread() {
    stop();
}

void ServingThread::stop() {
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace tarvendo
