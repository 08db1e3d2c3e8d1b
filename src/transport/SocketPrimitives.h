#pragma once

#include <cstdint>

// The nine blocking primitives over integer descriptors. Every function
// reports failure as -1 and leaves the platform's error in errno.
namespace tarvendo {

inline constexpr std::int32_t kListenBacklog = 5;
inline constexpr std::int32_t kFallbackBufferSize = 1024;

// Resolves host (IPv4 only; a dotted address needs no look-up) and connects.
std::int32_t connect_socket(std::int32_t descriptor, const char* host, std::uint16_t port);
std::int32_t accept_socket(std::int32_t descriptor);
// Binds to the port's low 16 bits on every local IPv4 address.
std::int32_t bind_socket(std::int32_t descriptor, std::int32_t port);
std::int32_t setopt_socket(std::int32_t descriptor, std::int32_t option, std::int32_t value);
// The receive buffer size, or kFallbackBufferSize when it cannot be read.
std::int32_t socket_internal_buffer_size(std::int32_t descriptor);
// A server that must take bursts of connections asks for a longer queue.
std::int32_t socket_listen(std::int32_t descriptor, std::int32_t backlog = kListenBacklog);
// Reads until count bytes arrived or the peer closed; returns how many arrived.
std::int32_t read_bytes(std::int32_t descriptor, void* buffer, std::int32_t count);
// Writes all count bytes; never raises SIGPIPE. moreFollows: the caller
// writes again at once, so the system may hold these bytes back and send
// them in one segment with the next write's.
std::int32_t write_bytes(std::int32_t descriptor, const void* buffer, std::int32_t count,
                         bool moreFollows = false);
// Writes the peer's dotted IPv4 address (no terminator) and stores its length.
std::int32_t socket_address(std::int32_t descriptor, char* buffer, std::int32_t* length);

}  // namespace tarvendo
