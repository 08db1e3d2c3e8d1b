#include "program/Csv.h"

namespace tarvendo {

std::string csvField(std::string_view text) {
    std::string field(text);
    if (!field.empty() && std::string_view("=+-@").find(field.front()) != std::string_view::npos) {
        field.insert(field.begin(), '\'');
    }
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + '"';
}

std::string csvRecord(const std::vector<std::string>& fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        record += (i == 0 ? "" : ",") + csvField(fields[i]);
    }
    return record + "\r\n";
}

}  // namespace tarvendo
