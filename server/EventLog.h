#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace tarvendo::server {

// One line per game event on standard output: UTC time, event, player and
// an optional detail.
class EventLog {
public:
    virtual ~EventLog() = default;
    void record(std::string_view event, std::string_view player, std::string_view detail = {});

protected:
    virtual void write(std::string_view line);
};

// 2026-12-06T16:14:02.123Z: ISO 8601, UTC, to the millisecond.
std::string isoUtcTime(std::chrono::system_clock::time_point time);

// 2026-12-06T16:14:02.123Z loginPlayer "Ann" OK; without a player the name is
// left out. The name and the detail may come from a peer: each is quoted as
// quotedPeerText quotes, so one event stays one short line.
std::string formatEventLine(std::chrono::system_clock::time_point time, std::string_view event,
                            std::string_view player, std::string_view detail);

}  // namespace tarvendo::server
