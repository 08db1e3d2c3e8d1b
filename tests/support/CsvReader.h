#pragma once

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tarvendo::test {

using CsvRows = std::vector<std::vector<std::string>>;

// Reads CSV the way a spreadsheet does (RFC 4180): fields in quotes may hold
// commas, line breaks and doubled quotes; records end with CRLF or LF.
// Absent for text that is not CSV (a stray quote, an unclosed field).
inline std::optional<CsvRows> readCsv(std::string_view text) {
    CsvRows rows;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            if (fieldStarted) {
                return std::nullopt;
            }
            quoted = fieldStarted = true;
        } else if (c == ',' || c == '\n' || c == '\r') {
            if (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) {
                return std::nullopt;
            }
            i += c == '\r' ? 1 : 0;
            record.push_back(std::move(field));
            field.clear();
            fieldStarted = false;
            if (c != ',') {
                rows.push_back(std::move(record));
                record.clear();
            }
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (fieldStarted || !record.empty()) {
        record.push_back(std::move(field));
        rows.push_back(std::move(record));
    }
    return rows;
}

// The file read as CSV; absent when it is not CSV.
inline std::optional<CsvRows> readCsvFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return readCsv(text.str());
}

}  // namespace tarvendo::test
