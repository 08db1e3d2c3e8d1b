#include "program/OptionReader.h"

#include <charconv>

namespace tarvendo {

std::optional<std::string> OptionReader::nextOption() {
    if (error_ || next_ >= arguments_.size()) {
        return std::nullopt;
    }
    current_ = arguments_[next_++];
    return current_;
}

std::optional<std::string> OptionReader::value() {
    if (next_ >= arguments_.size()) {
        fail(current_ + " needs a value");
        return std::nullopt;
    }
    return arguments_[next_++];
}

std::optional<std::int64_t> OptionReader::integer(std::int64_t min, std::int64_t max) {
    const std::optional<std::string> text = value();
    if (!text) {
        return std::nullopt;
    }
    std::int64_t number = 0;
    const char* end = text->data() + text->size();
    const auto [stop, problem] = std::from_chars(text->data(), end, number);
    if (problem != std::errc() || stop != end || number < min || number > max) {
        fail(current_ + " takes a whole number from " + std::to_string(min) + " to " +
             std::to_string(max) + ", not \"" + *text + "\"");
        return std::nullopt;
    }
    return number;
}

void OptionReader::fail(std::string why) {
    if (!error_) {
        error_ = std::move(why);
    }
}

std::vector<std::string> argumentsOf(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

}  // namespace tarvendo
