#include "session/UserInfo.h"

#include <type_traits>

namespace tarvendo {

namespace {

// Text or boolean, whether stored as itself or as the matching JSON value.
template <class T>
std::optional<T> scalar(const UserInfo::Value& value, bool (Json::*isKind)() const noexcept) {
    if (const T* plain = std::get_if<T>(&value)) {
        return *plain;
    }
    const Json* json = std::get_if<Json>(&value);
    if (json != nullptr && (json->*isKind)()) {
        return json->get<T>();
    }
    return std::nullopt;
}

}  // namespace

UserInfo UserInfo::fromJsonObject(const Json& object) {
    UserInfo info;
    for (const auto& [key, value] : object.items()) {
        info.setJson(key, value);
    }
    return info;
}

UserInfo& UserInfo::setText(std::string key, std::string text) {
    return set(std::move(key), Value(std::in_place_type<std::string>, std::move(text)));
}

UserInfo& UserInfo::setBoolean(std::string key, bool value) {
    return set(std::move(key), Value(std::in_place_type<bool>, value));
}

UserInfo& UserInfo::setAddresses(std::string key, std::vector<Address> addresses) {
    return set(std::move(key),
               Value(std::in_place_type<std::vector<Address>>, std::move(addresses)));
}

UserInfo& UserInfo::setJson(std::string key, Json value) {
    return set(std::move(key), Value(std::in_place_type<Json>, std::move(value)));
}

UserInfo& UserInfo::set(std::string key, Value value) {
    values_.insert_or_assign(std::move(key), std::move(value));
    return *this;
}

std::vector<std::string> UserInfo::keys() const {
    std::vector<std::string> keys;
    for (const auto& entry : values_) {
        keys.push_back(entry.first);
    }
    return keys;
}

const UserInfo::Value* UserInfo::find(std::string_view key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? nullptr : &found->second;
}

template <>
std::optional<std::string> UserInfo::get(std::string_view key) const {
    const Value* value = find(key);
    return value ? scalar<std::string>(*value, &Json::is_string) : std::nullopt;
}

template <>
std::optional<bool> UserInfo::get(std::string_view key) const {
    const Value* value = find(key);
    return value ? scalar<bool>(*value, &Json::is_boolean) : std::nullopt;
}

template <>
std::optional<std::vector<Address>> UserInfo::get(std::string_view key) const {
    const Value* value = find(key);
    const auto* addresses = value ? std::get_if<std::vector<Address>>(value) : nullptr;
    return addresses ? std::optional(*addresses) : std::nullopt;
}

template <>
std::optional<Json> UserInfo::get(std::string_view key) const {
    const Value* value = find(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::visit(
        [](const auto& held) -> std::optional<Json> {
            if constexpr (std::is_same_v<std::decay_t<decltype(held)>, std::vector<Address>>) {
                return std::nullopt;
            } else {
                return Json(held);
            }
        },
        *value);
}

}  // namespace tarvendo
