// Implements tools/runner/file_content.h.
#include "tools/runner/file_content.h"

#include <cstdio>

namespace vorn::runner {

std::uint64_t SplitMix64::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string Expand(const ByteFill& fill) {
    std::string bytes(fill.size, '\0');
    if (fill.random) {
        SplitMix64 generator(fill.seed);
        for (std::uint64_t at = 0; at < fill.size; at += 8) {
            std::uint64_t number = generator.Next();
            for (std::uint64_t i = 0; i < 8 && at + i < fill.size; ++i)
                bytes[at + i] = static_cast<char>(number >> (8 * i));
        }
    }
    for (const auto& [offset, text] : fill.put)
        bytes.replace(offset, text.size(), text);
    return bytes;
}

std::optional<std::string> ParseHex(const std::string& hex) {
    if (hex.size() % 2) return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string ToHex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", c);
        if (!out.empty()) out += ' ';
        out += pair;
    }
    return out;
}

std::uint64_t Fnv1a64(const std::string& bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

} // namespace vorn::runner
