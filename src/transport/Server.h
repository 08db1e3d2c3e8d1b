#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "transport/Socket.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo {

inline constexpr std::chrono::milliseconds kMaxAcceptBackoff{100};

class Server;

// The object that serves one accepted connection on a thread of its own.
class ServerThread {
public:
    explicit ServerThread(std::shared_ptr<Socket> socket);
    // Closes the connection: the peer sees it end when run() is over.
    virtual ~ServerThread();
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    // The whole life of the connection; called once, on its own thread.
    virtual void run() {}

    Socket& socket() const { return *socket_; }
    const std::optional<std::string>& clientAddress() const { return clientAddress_; }
    bool shouldClose() const { return shouldClose_.load(); }
    // Asks run() to end and wakes it if it is blocked on the socket.
    void requestClose();
    std::weak_ptr<Server> server() const { return server_; }
    void setServer(std::weak_ptr<Server> server) { server_ = std::move(server); }

    bool operator==(const ServerThread& other) const {
        return socket_->descriptor() == other.socket_->descriptor();
    }
    // Consistent with equality: by the descriptor.
    std::size_t hash() const { return std::hash<std::int32_t>{}(socket_->descriptor()); }

private:
    std::shared_ptr<Socket> socket_;
    std::optional<std::string> clientAddress_;
    std::atomic<bool> shouldClose_{false};
    std::weak_ptr<Server> server_;
};

// How many connections a Server keeps open.
struct ConnectionLimits {
    // Further connections are closed as soon as they are accepted.
    std::size_t maxConnections = 1024;
    // At most this many at a time from one peer address (0: no such limit)...
    std::size_t maxPerAddress = 0;
    // ...beyond which the oldest one from that address is closed to make
    // room; otherwise the newcomer is refused.
    bool closeOldestOfAddress = false;
    // Peers the per-address limit never applies to; called on the accepting thread.
    std::function<bool(const std::string& address)> isExempt = {};
};

class ServerDelegate {
public:
    virtual ~ServerDelegate() = default;
    // Runs on the accepting thread.
    virtual std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) = 0;
};

// A TCP server that runs one ServerThread per accepted connection.
class Server : public std::enable_shared_from_this<Server> {
public:
    // Absent when the listening socket cannot be created.
    // backlog: connections the system completes before they are accepted;
    // the small default drops (and so delays by a second) any burst beyond it.
    static std::shared_ptr<Server> create(std::weak_ptr<ServerDelegate> delegate,
                                          ConnectionLimits limits = {},
                                          std::int32_t backlog = kListenBacklog);
    ~Server();

    // listenOn, then serve: blocks the calling thread for the server's life.
    void runOnPort(std::int32_t port);
    // Binds and listens; prints "Can't bind server socket to port" on failure.
    bool listenOn(std::int32_t port);
    // Accepts until stop() or a failure of listen; prints "Server stopped".
    // A failed accept (descriptors used up, say) is retried after a pause that
    // grows to kMaxAcceptBackoff, so the loop never spins.
    void serve();
    // Ends serve() and every connection, and waits for their threads.
    void stop();

    // The bound port (useful after listening on port 0).
    std::optional<std::int32_t> boundPort() const;
    std::size_t activeConnections();

private:
    struct Connection {
        std::weak_ptr<ServerThread> thread;
        std::optional<std::string> address;
        std::thread worker;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    Server(std::shared_ptr<Socket> socket, std::weak_ptr<ServerDelegate> delegate,
           ConnectionLimits limits, std::int32_t backlog);
    void handle(std::shared_ptr<Socket> accepted);
    // Whether one more connection from the address may open; may close the
    // oldest one from there to make room.
    bool makeRoomFor(const std::optional<std::string>& address);
    void start(std::shared_ptr<ServerThread> thread);
    void reapFinished();

    std::shared_ptr<Socket> socket_;
    std::weak_ptr<ServerDelegate> delegate_;
    const ConnectionLimits limits_;
    const std::int32_t backlog_;
    std::atomic<bool> stopping_{false};
    std::mutex connectionsMutex_;  // guards connections_
    std::list<Connection> connections_;
};

}  // namespace tarvendo

template <>
struct std::hash<tarvendo::ServerThread> {
    std::size_t operator()(const tarvendo::ServerThread& thread) const { return thread.hash(); }
};
