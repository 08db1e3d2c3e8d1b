#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "protocol/ToolBox.h"
#include "transport/Address.h"

namespace tarvendo {

// The user information of a notification: text keys to text, booleans,
// lists of addresses or JSON values. A JSON string reads as text and a JSON
// boolean as a boolean, so a pushed data object can be read key by key.
class UserInfo {
public:
    using Value = std::variant<std::string, bool, std::vector<Address>, Json>;

    UserInfo() = default;
    // One key per member of the object, its value unchanged.
    static UserInfo fromJsonObject(const Json& object);

    // Named setters: a text literal would otherwise convert to both text and JSON.
    UserInfo& setText(std::string key, std::string text);
    UserInfo& setBoolean(std::string key, bool value);
    UserInfo& setAddresses(std::string key, std::vector<Address> addresses);
    UserInfo& setJson(std::string key, Json value);

    // The value as the asked type (std::string, bool, std::vector<Address>
    // or Json); absent for a missing key or a value of another type.
    template <class T>
    std::optional<T> get(std::string_view key) const;

    // Sorted.
    std::vector<std::string> keys() const;
    bool empty() const { return values_.empty(); }
    bool operator==(const UserInfo&) const = default;

private:
    UserInfo& set(std::string key, Value value);
    const Value* find(std::string_view key) const;

    std::map<std::string, Value, std::less<>> values_;
};

template <>
std::optional<std::string> UserInfo::get(std::string_view key) const;
template <>
std::optional<bool> UserInfo::get(std::string_view key) const;
template <>
std::optional<std::vector<Address>> UserInfo::get(std::string_view key) const;
// Text and booleans are JSON values too; an address list is not.
template <>
std::optional<Json> UserInfo::get(std::string_view key) const;

}  // namespace tarvendo
