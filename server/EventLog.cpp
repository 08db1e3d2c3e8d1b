#include "server/EventLog.h"

#include <cstdio>
#include <ctime>

#include "transport/Diagnostics.h"

namespace tarvendo::server {

std::string isoUtcTime(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch = time.time_since_epoch();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(millis));
    return std::string(text, length) + fraction;
}

std::string formatEventLine(std::chrono::system_clock::time_point time, std::string_view event,
                            std::string_view player, std::string_view detail) {
    std::string line = isoUtcTime(time) + " " + std::string(event);
    if (!player.empty()) {
        line += " \"" + quotedPeerText(player, true) + "\"";
    }
    if (!detail.empty()) {
        line += " " + quotedPeerText(detail, true);
    }
    return line;
}

void EventLog::record(std::string_view event, std::string_view player, std::string_view detail) {
    write(formatEventLine(std::chrono::system_clock::now(), event, player, detail));
}

void EventLog::write(std::string_view line) {
    printLine(line);
}

}  // namespace tarvendo::server
