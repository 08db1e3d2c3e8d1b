#include "server/ServerOptions.h"

namespace tarvendo::server {

namespace {

// Reads one option into the command; false for an option it does not know.
bool readOption(const std::string& option, OptionReader& reader, ServerOptions& options) {
    if (option == "--no-advertise") {
        options.advertise = false;
    } else if (option == "--port") {
        options.port = static_cast<std::int32_t>(reader.integer(0, 65535).value_or(options.port));
    } else if (option == "--state") {
        options.stateFile = reader.value();
    } else if (option == "--export-history") {
        options.exportHistory = true;
    } else if (option == "--grace") {
        options.grace =
            std::chrono::seconds(reader.integer(0, 86'400).value_or(kDefaultGraceSeconds));
    } else if (option == "--max-players") {
        options.maxPlayers = static_cast<std::size_t>(
            reader.integer(1, kMaxPlayersLimit).value_or(kDefaultMaxPlayers));
    } else {
        return false;
    }
    return true;
}

}  // namespace

ServerCommand parseServerCommand(std::vector<std::string> arguments) {
    return parseCommand<ServerOptions>(std::move(arguments), readOption,
                                       [](const ServerOptions& options, OptionReader& reader) {
                                           if (options.exportHistory && !options.stateFile) {
                                               reader.fail("--export-history needs --state FILE");
                                           }
                                       });
}

std::string serverUsage() {
    return "usage: tarvendo-server [--port 50000] [--no-advertise] [--max-players 24]\n"
           "                       [--grace 60] [--state FILE [--export-history]]\n"
           "                       [--help] [--version]\n"
           "Hosts one game. --port 0 picks a free port; --max-players is 1 to " +
           std::to_string(kMaxPlayersLimit) +
           ".\n--grace: seconds a player who lost the connection keeps the seat (0: none).\n"
           "--state: keeps the game in an SQLite file, so a restarted server resumes it;\n"
           "with --export-history, prints its opened deals as CSV and stops.\n";
}

}  // namespace tarvendo::server
