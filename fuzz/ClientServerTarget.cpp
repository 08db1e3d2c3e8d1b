#include <utility>

#include "fuzz/Fuzz.h"
#include "protocol/Answer.h"
#include "session/ClientServerThread.h"

namespace tarvendo::fuzz {

// The first byte: bit 0 sets a session token, bit 1 a small frame limit. A
// connection of the client server answers every undecodable payload once and
// posts the events of the others in order, as each push alone would.
void fuzzClientServer(std::string_view input) {
    if (input.empty()) {
        return;
    }
    Shared shared;
    shared.setToken((input[0] & 1) != 0 ? std::optional("session-token") : std::nullopt);
    const FrameLimits limits{(input[0] & 2) != 0 ? 64 : kMaxFrameLength,
                             kClientServerFrameLimits.stallTimeout};
    NotificationCenter center;
    std::vector<Event> events;  // every event posted, in order
    for (int event = 0; event <= static_cast<int>(Event::bonjoureServerFound); ++event) {
        center.addObserver(static_cast<Event>(event), [&events](const Notification& posted) {
            events.push_back(posted.name);
        });
    }
    const Loopback loopback(input.substr(1));
    ClientServerThread connection(loopback.reader, PushReceiver{shared, center}, limits);
    connection.run();
    loopback.reader->shutdown();  // after the last answer
    // The pushes again, each handled alone: the same events must follow.
    const std::vector<Event> served = std::exchange(events, {});
    std::size_t undecodable = 0;
    for (const std::string& payload : modelFrameReads(input.substr(1), limits.maxLength).payloads) {
        if (const auto request = Request::usingJson(ByteBuffer::fromText(payload))) {
            handlePushedRequest(*request, PushReceiver{shared, center});
        } else {
            ++undecodable;
        }
    }
    require(events == served, "the events differ from the pushes");
    FrameReader answers(*loopback.feeder);
    while (const std::optional<ByteBuffer> frame = answers.next()) {
        const std::optional<Answer> answer = Answer::usingJson(*frame);
        require(answer && answer->message == AnswerMessage::unknownRequest && answer->code == -1 &&
                    undecodable-- > 0,
                "an answer other than one unknown request per undecodable payload");
    }
    require(undecodable == 0, "an undecodable payload without its answer");
}

}  // namespace tarvendo::fuzz
