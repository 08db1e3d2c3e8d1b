#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvendo::server {

// Walks a command line of "--name value" options and keeps the first error.
class OptionReader {
public:
    explicit OptionReader(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

    // The next option, absent at the end or after an error.
    std::optional<std::string> nextOption();
    // The value that follows the current option.
    std::optional<std::string> value();
    // The value as a whole number in [min, max].
    std::optional<std::int64_t> integer(std::int64_t min, std::int64_t max);
    void fail(std::string why);
    const std::optional<std::string>& error() const { return error_; }

private:
    std::vector<std::string> arguments_;
    std::size_t next_ = 0;
    std::string current_;
    std::optional<std::string> error_;
};

enum class CommandAction { run, showHelp, showVersion, fail };

template <typename Options>
struct Command {
    CommandAction action = CommandAction::run;
    Options options;
    std::string error;
};

// Hands every option to readOne (false: an option it does not know), then
// lets check look at the whole when the command is to run.
template <typename Options, typename ReadOne, typename Check>
Command<Options> parseCommand(std::vector<std::string> arguments, ReadOne readOne, Check check) {
    Command<Options> command;
    OptionReader reader(std::move(arguments));
    while (const std::optional<std::string> option = reader.nextOption()) {
        if (!readOne(*option, reader, command)) {
            reader.fail("unknown option " + *option);
        }
    }
    if (command.action == CommandAction::run) {
        check(command.options, reader);
    }
    if (reader.error()) {
        command.action = CommandAction::fail;
        command.error = *reader.error();
    }
    return command;
}

// The command line as the arguments after the program name.
std::vector<std::string> argumentsOf(int argc, char** argv);

}  // namespace tarvendo::server
