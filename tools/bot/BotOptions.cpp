#include "bot/BotOptions.h"

#include <charconv>

#include "protocol/DeckSymbols.h"

namespace tarvendo::bot {

namespace {

constexpr int kMaxPlayers = 128;

std::optional<Address> parseHostPort(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return std::nullopt;
    }
    std::int32_t port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data() + colon + 1, end, port);
    if (problem != std::errc() || stop != end || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return Address{text.substr(0, colon), port};
}

void readServer(OptionReader& reader, BotOptions& options) {
    if (const std::optional<std::string> text = reader.value()) {
        if (std::optional<Address> address = parseHostPort(*text)) {
            options.server = *address;
        } else {
            reader.fail("--server takes HOST:PORT with a port from 1 to 65535");
        }
    }
}

void readVote(OptionReader& reader, BotOptions& options) {
    const std::optional<std::string> vote = reader.value();
    if (!vote || *vote == "random") {
        options.vote.reset();
    } else if (isDeckSymbol(*vote)) {
        options.vote = *vote;
    } else {
        reader.fail("--vote takes random or a card of the deck, not \"" + *vote + "\"");
    }
}

template <typename Number>
void readNumber(OptionReader& reader, Number& target, std::int64_t min, std::int64_t max) {
    if (const std::optional<std::int64_t> value = reader.integer(min, max)) {
        target = static_cast<Number>(*value);
    }
}

bool readOption(const std::string& option, OptionReader& reader, BotOptions& options) {
    std::int64_t number = 0;
    if (option == "--server") {
        readServer(reader, options);
    } else if (option == "--players") {
        readNumber(reader, options.players, 1, kMaxPlayers);
    } else if (option == "--name-prefix") {
        options.namePrefix = reader.value().value_or(options.namePrefix);
    } else if (option == "--client-port-base") {
        readNumber(reader, options.clientPortBase, 0, 65535);
    } else if (option == "--vote") {
        readVote(reader, options);
    } else if (option == "--think-ms") {
        readNumber(reader, number, 0, 60'000);
        options.think = std::chrono::milliseconds(number);
    } else if (option == "--admin") {
        options.admin = true;
    } else if (option == "--deals") {
        readNumber(reader, options.deals, 0, 100'000);
    } else if (option == "--game-name") {
        options.gameName = reader.value().value_or(options.gameName);
    } else if (option == "--seconds") {
        readNumber(reader, number, 1, std::int64_t{7} * 24 * 3600);
        options.duration = std::chrono::seconds(number);
    } else {
        return false;
    }
    return true;
}

void checkComplete(const BotOptions& options, OptionReader& reader) {
    if (options.server.address.empty()) {
        reader.fail("--server HOST:PORT is required");
    } else if (options.players == 0) {
        reader.fail("--players N is required");
    } else if (options.clientPortBase > 0 && options.clientPortBase + options.players - 1 > 65535) {
        reader.fail("--client-port-base leaves no room for every player's port");
    } else if (options.deals > 0 && !options.admin) {
        reader.fail("--deals needs --admin: only the admin leads deals");
    }
}

}  // namespace

BotCommand parseBotCommand(std::vector<std::string> arguments) {
    return parseCommand<BotOptions>(std::move(arguments), readOption, checkComplete);
}

std::string botUsage() {
    return "usage: tarvendo-bot --server HOST:PORT --players N [--name-prefix Bot]\n"
           "                    [--client-port-base 52000] [--vote random|SYMBOL]\n"
           "                    [--think-ms 500] [--admin] [--deals N] [--game-name Demo]\n"
           "                    [--seconds S] [--help] [--version]\n"
           "Runs N headless players. With --admin the first one logs in as the admin and\n"
           "leads --deals deals, then all log out. Ends on SIGINT, SIGTERM, after the deals,\n"
           "or after --seconds. --client-port-base 0 lets the system pick the ports.\n";
}

}  // namespace tarvendo::bot
