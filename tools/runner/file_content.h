// File contents that scenarios describe rather than spell out.
//
// "bytes" with "fill": "random" uses splitmix64: the state starts at the seed;
// each step adds 0x9E3779B97F4A7C15 and mixes the state into one 64-bit
// number, whose 8 bytes, lowest first, are the next 8 bytes of the file (the
// last number is cut to the bytes still needed). The "put" texts are then
// written over the fill at their offsets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vorn::runner {

class SplitMix64 {
  public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();

  private:
    std::uint64_t state_;
};

struct ByteFill {
    std::uint64_t size = 0;
    bool random = false;
    std::uint64_t seed = 0;
    std::vector<std::pair<std::uint64_t, std::string>> put; // offset, bytes
};

std::string Expand(const ByteFill& fill);

// "00ff4D53" → those bytes; nullopt for an odd length or a non-hex digit.
std::optional<std::string> ParseHex(const std::string& hex);
// Bytes as lower-case hex pairs separated by spaces, for messages.
std::string ToHex(const std::string& bytes);

// FNV-1a, 64-bit: a short fingerprint of a file's bytes for the summary.
std::uint64_t Fnv1a64(const std::string& bytes);

} // namespace vorn::runner
