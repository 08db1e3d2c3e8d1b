#include "transport/Server.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>

#include "transport/Diagnostics.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo {

ServerThread::ServerThread(std::shared_ptr<Socket> socket)
    : socket_(std::move(socket)), clientAddress_(socket_->address()) {}

ServerThread::~ServerThread() {
    socket_->close();
}

void ServerThread::requestClose() {
    shouldClose_.store(true);
    socket_->shutdown();
}

std::shared_ptr<Server> Server::create(std::weak_ptr<ServerDelegate> delegate,
                                       ConnectionLimits limits, std::int32_t backlog) {
    std::shared_ptr<Socket> socket = Socket::create();
    if (!socket) {
        return nullptr;
    }
    return std::shared_ptr<Server>(
        new Server(std::move(socket), std::move(delegate), std::move(limits), backlog));
}

Server::Server(std::shared_ptr<Socket> socket, std::weak_ptr<ServerDelegate> delegate,
               ConnectionLimits limits, std::int32_t backlog)
    : socket_(std::move(socket)),
      delegate_(std::move(delegate)),
      limits_(std::move(limits)),
      backlog_(backlog) {}

Server::~Server() {
    stop();
}

void Server::runOnPort(std::int32_t port) {
    if (listenOn(port)) {
        serve();
    }
}

bool Server::listenOn(std::int32_t port) {
    if (bind_socket(socket_->descriptor(), port) == -1) {
        printLine("Can't bind server socket to port");
        return false;
    }
    if (socket_listen(socket_->descriptor(), backlog_) == -1) {
        printLine("Server stopped");
        return false;
    }
    return true;
}

void Server::serve() {
    // listen() again before every accept keeps the loop's shape: a listening
    // socket that has failed ends the server here.
    std::chrono::milliseconds backoff{0};
    while (!stopping_.load() && socket_listen(socket_->descriptor(), backlog_) != -1) {
        const std::int32_t accepted = accept_socket(socket_->descriptor());
        if (accepted == -1) {
            backoff = std::clamp(backoff * 2, std::chrono::milliseconds{5}, kMaxAcceptBackoff);
            std::this_thread::sleep_for(backoff);
            continue;
        }
        backoff = std::chrono::milliseconds{0};
        reapFinished();
        if (std::shared_ptr<Socket> connection = Socket::create(accepted)) {
            handle(std::move(connection));
        }
    }
    socket_->close();
    printLine("Server stopped");
}

void Server::handle(std::shared_ptr<Socket> accepted) {
    std::shared_ptr<ServerDelegate> delegate = delegate_.lock();
    if (!delegate || !makeRoomFor(accepted->address()) ||
        activeConnections() >= limits_.maxConnections) {
        return;  // the accepted socket is released here
    }
    std::shared_ptr<ServerThread> thread = delegate->serverThread(std::move(accepted));
    if (!thread) {
        return;
    }
    thread->setServer(weak_from_this());
    start(std::move(thread));
}

bool Server::makeRoomFor(const std::optional<std::string>& address) {
    if (limits_.maxPerAddress == 0 || !address ||
        (limits_.isExempt && limits_.isExempt(*address))) {
        return true;
    }
    reapFinished();
    std::shared_ptr<ServerThread> oldest;
    std::size_t open = 0;
    {
        const std::lock_guard lock(connectionsMutex_);
        for (const Connection& connection : connections_) {
            const std::shared_ptr<ServerThread> thread = connection.thread.lock();
            // One already asked to close no longer counts: it is on its way out.
            if (connection.address != address || !thread || thread->shouldClose()) {
                continue;
            }
            if (open++ == 0) {
                oldest = thread;  // connections_ keeps the order of acceptance
            }
        }
    }
    if (open < limits_.maxPerAddress) {
        return true;
    }
    if (limits_.closeOldestOfAddress && oldest) {
        oldest->requestClose();
        return true;
    }
    return false;
}

void Server::start(std::shared_ptr<ServerThread> thread) {
    const std::lock_guard lock(connectionsMutex_);
    if (stopping_.load()) {
        return;
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::optional<std::string> address = thread->clientAddress();
    std::weak_ptr<ServerThread> watched = thread;
    // The worker holds the only strong reference, so the connection is closed
    // the moment run() returns.
    std::thread worker([thread = std::move(thread), finished]() mutable {
        thread->run();
        thread.reset();
        finished->store(true);
    });
    connections_.push_back(
        Connection{std::move(watched), address, std::move(worker), std::move(finished)});
}

void Server::reapFinished() {
    std::list<Connection> done;
    {
        const std::lock_guard lock(connectionsMutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            auto next = std::next(it);
            if (it->finished->load()) {
                done.splice(done.end(), connections_, it);
            }
            it = next;
        }
    }
    for (Connection& connection : done) {
        connection.worker.join();
    }
}

std::size_t Server::activeConnections() {
    reapFinished();
    const std::lock_guard lock(connectionsMutex_);
    return connections_.size();
}

void Server::stop() {
    std::list<Connection> running;
    {
        const std::lock_guard lock(connectionsMutex_);
        stopping_.store(true);
        running.swap(connections_);
    }
    socket_->shutdown();
    for (Connection& connection : running) {
        if (std::shared_ptr<ServerThread> thread = connection.thread.lock()) {
            thread->requestClose();
        }
    }
    for (Connection& connection : running) {
        if (connection.worker.get_id() == std::this_thread::get_id()) {
            connection.worker.detach();  // stopped from inside a connection
        } else {
            connection.worker.join();
        }
    }
}

std::optional<std::int32_t> Server::boundPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket_->descriptor(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return std::nullopt;
    }
    return ntohs(address.sin_port);
}

}  // namespace tarvendo
