#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace tarvendo {

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

// Takes --help (-h) and --version itself and hands every other option to
// readOne (false: an option it does not know), then lets check look at the
// whole when the command is to run.
template <typename Options, typename ReadOne, typename Check>
Command<Options> parseCommand(std::vector<std::string> arguments, ReadOne readOne, Check check) {
    Command<Options> command;
    OptionReader reader(std::move(arguments));
    while (const std::optional<std::string> option = reader.nextOption()) {
        if (*option == "--help" || *option == "-h") {
            command.action = CommandAction::showHelp;
        } else if (*option == "--version") {
            command.action = CommandAction::showVersion;
        } else if (!readOne(*option, reader, command.options)) {
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

// What a program's main returns: the usage or the version on standard output
// (0), an error and the usage on standard error (2), or run's own result.
template <typename Options>
int runCommand(const Command<Options>& command, const std::string& program,
               const std::string& usage, const std::function<int(const Options&)>& run) {
    switch (command.action) {
        case CommandAction::showHelp:
            std::cout << usage;
            return 0;
        case CommandAction::showVersion:
            std::cout << program << ' ' << TARVENDO_VERSION << '\n';
            return 0;
        case CommandAction::fail:
            std::cerr << program << ": " << command.error << '\n' << usage;
            return 2;
        case CommandAction::run:
            break;
    }
    return run(command.options);
}

}  // namespace tarvendo
