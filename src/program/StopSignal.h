#pragma once

#include <chrono>
#include <optional>

namespace tarvendo {

// Turns SIGINT and SIGTERM into a stop request that one thread waits for;
// any thread may request the stop as well. One per process.
class StopSignal {
public:
    // Installs the handlers on first use.
    static StopSignal& install();

    // Safe from any thread and from a signal handler.
    void request();
    // True once a stop was requested; waits at most the limit (none: forever).
    bool waitFor(std::optional<std::chrono::milliseconds> limit);
    // Readable from the first request on, for an event loop to watch.
    int descriptor() const;

private:
    StopSignal();
};

}  // namespace tarvendo
