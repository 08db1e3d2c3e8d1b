#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The fuzz entry points. Each takes arbitrary bytes, drives one part of the
// system with them and throws InvariantBroken when a property that must hold
// for every input does not. The libFuzzer programs and the regression test
// call the same functions.
namespace tarvendo::fuzz {

using Entry = void (*)(const std::uint8_t* data, std::size_t size);

struct FuzzTarget {
    std::string_view name;  // also the name of its corpus folder
    Entry entry;
};

void fuzzFrameReader(const std::uint8_t* data, std::size_t size);
void fuzzRequest(const std::uint8_t* data, std::size_t size);
void fuzzAnswer(const std::uint8_t* data, std::size_t size);
void fuzzBase64(const std::uint8_t* data, std::size_t size);
void fuzzAddress(const std::uint8_t* data, std::size_t size);
void fuzzClientServer(const std::uint8_t* data, std::size_t size);
void fuzzGame(const std::uint8_t* data, std::size_t size);

std::span<const FuzzTarget> fuzzTargets();
// Null for an unknown name.
const FuzzTarget* findFuzzTarget(std::string_view name);

}  // namespace tarvendo::fuzz
