#include "bot/DealDriver.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace tarvendo::bot {

namespace {

constexpr std::chrono::milliseconds kStopCheck{100};

}  // namespace

DealDriver::DealDriver(BotPlayer& admin, std::vector<BotPlayer*> everyone,
                       std::function<bool()> stopRequested, std::chrono::milliseconds waitLimit)
    : admin_(admin),
      everyone_(std::move(everyone)),
      stopRequested_(std::move(stopRequested)),
      waitLimit_(waitLimit) {}

DealReport DealDriver::run(int deals) {
    DealReport report;
    // The admin counts votes by the players it knows of; a teammate whose
    // arrival it has not heard of yet would vote late, into the next deal.
    if (deals > 0 && !awaitWholeTeam()) {
        report.problem = "the admin never saw the whole team arrive";
        return report;
    }
    for (int number = 1; number <= deals && report.problem.empty(); ++number) {
        report.problem = playDeal(number, report);
    }
    return report;
}

std::string DealDriver::playDeal(int number, DealReport& report) {
    const std::vector<std::uint64_t> opensBefore = counts(RequestCode::openCards);
    const std::uint64_t votesBefore = admin_.tally().totals().of(RequestCode::cardElected);
    const Json title{{"title", "Deal " + std::to_string(number)}};
    std::string problem = command(RequestCode::initNewDeal, title);
    if (problem.empty()) {
        problem = command(RequestCode::play);
    }
    if (!problem.empty()) {
        return problem;
    }
    const auto votes = votesBefore + static_cast<std::uint64_t>(admin_.playersInGame());
    if (!await(admin_, RequestCode::cardElected, votes)) {
        return "not every player voted in deal " + std::to_string(number);
    }
    const Clock::time_point sent = Clock::now();
    problem = command(RequestCode::openCards);
    if (!problem.empty()) {
        return problem;
    }
    Clock::time_point lastArrival = sent;
    for (std::size_t i = 0; i < everyone_.size(); ++i) {
        const std::optional<Clock::time_point> arrival =
            await(*everyone_[i], RequestCode::openCards, opensBefore[i] + 1);
        if (!arrival) {
            return everyone_[i]->name() + " never saw the cards open in deal " +
                   std::to_string(number);
        }
        lastArrival = std::max(lastArrival, *arrival);
    }
    report.openLatencies.push_back(lastArrival - sent);
    ++report.completed;
    return {};
}

bool DealDriver::awaitWholeTeam() const {
    const Clock::time_point deadline = Clock::now() + waitLimit_;
    const auto team = static_cast<int>(everyone_.size());
    while (admin_.playersInGame() < team) {
        if (stopRequested_() || Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<std::uint64_t> DealDriver::counts(RequestCode kind) const {
    std::vector<std::uint64_t> counts;
    for (BotPlayer* player : everyone_) {
        counts.push_back(player->tally().totals().of(kind));
    }
    return counts;
}

std::string DealDriver::command(RequestCode code, const std::optional<Json>& body) {
    if (stopRequested_()) {
        return "stopped";
    }
    const std::optional<Answer> answer = admin_.line().send(code, body);
    if (!answer) {
        return std::string(name(code)) + ": no answer";
    }
    if (answer->message != AnswerMessage::OK) {
        return std::string(name(code)) + ": " + std::string(text(answer->message));
    }
    return {};
}

std::optional<Clock::time_point> DealDriver::await(BotPlayer& player, RequestCode kind,
                                                   std::uint64_t count) {
    const Clock::time_point deadline = Clock::now() + waitLimit_;
    while (!stopRequested_()) {
        const Clock::time_point slice = std::min(deadline, Clock::now() + kStopCheck);
        if (std::optional<Clock::time_point> arrival = player.tally().waitFor(kind, count, slice)) {
            return arrival;
        }
        if (slice == deadline) {
            break;
        }
    }
    return std::nullopt;
}

Clock::duration percentile(std::vector<Clock::duration> samples, double share) {
    if (samples.empty()) {
        return Clock::duration::zero();
    }
    std::sort(samples.begin(), samples.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

}  // namespace tarvendo::bot
