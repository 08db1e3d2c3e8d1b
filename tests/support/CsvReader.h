#pragma once

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tarvendo::test {

using CsvRows = std::vector<std::vector<std::string>>;

// Reads CSV the way a spreadsheet does (RFC 4180): fields in quotes may hold
// commas, line breaks and doubled quotes; records end with CRLF. Absent for
// a file that is not CSV (an unclosed quote, a bare CR).
inline std::optional<CsvRows> readCsvFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    CsvRows rows{{""}};
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && quoted && i + 1 < text.size() && text[i + 1] == '"') {
            rows.back().back() += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (quoted || (c != ',' && c != '\r')) {
            rows.back().back() += c;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (text.compare(i, 2, "\r\n") != 0) {
            return std::nullopt;
        } else if (++i + 1 < text.size()) {
            rows.push_back({""});
        }
    }
    return quoted ? std::nullopt : std::optional(rows);
}

}  // namespace tarvendo::test
