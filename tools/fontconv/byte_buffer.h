// Little-endian byte building and bounds-checked reading, the two halves every
// structure of a Windows font file goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::fontconv {

using Bytes = std::vector<std::uint8_t>;

// Raised for any file that does not hold what its headers promise.
class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What `read` returns; a FormatError it raises is raised again with `name`
// (the path of the file read) in front, so that the message says which input.
template <typename Read> auto NamingErrors(const std::string& name, Read read) {
    try {
        return read();
    } catch (const FormatError& e) {
        throw FormatError(name + ": " + e.what());
    }
}

class ByteWriter {
  public:
    std::size_t Size() const { return bytes_.size(); }
    Bytes Take() { return std::move(bytes_); }

    void U8(unsigned value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
    void U16(unsigned value) {
        U8(value & 0xFF);
        U8((value >> 8) & 0xFF);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    void Append(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    void Text(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
    // A NUL-padded field of fixed length; longer text is cut, as the field cannot grow.
    void FixedText(std::string_view s, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i)
            U8(i < s.size() ? s[i] : 0);
    }
    void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void PadTo(std::size_t multiple) {
        while (bytes_.size() % multiple != 0)
            U8(0);
    }

    // Fills in a field whose value is only known once later parts are laid out.
    void PatchU16(std::size_t at, unsigned value) {
        bytes_.at(at) = value & 0xFF;
        bytes_.at(at + 1) = (value >> 8) & 0xFF;
    }
    void PatchU32(std::size_t at, std::uint32_t value) {
        PatchU16(at, value & 0xFFFF);
        PatchU16(at + 2, value >> 16);
    }

  private:
    Bytes bytes_;
};

class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const Bytes& bytes) : ByteReader(bytes.data(), bytes.size()) {}

    std::uint8_t U8(std::size_t at) const {
        Need(at, 1);
        return data_[at];
    }
    std::uint16_t U16(std::size_t at) const {
        Need(at, 2);
        return static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8);
    }
    std::uint32_t U32(std::size_t at) const {
        return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
    }
    // Text up to the first NUL; a string running off the end is damage.
    std::string CString(std::size_t at) const {
        std::string s;
        for (std::size_t i = at;; ++i) {
            const auto c = U8(i);
            if (c == 0) return s;
            s.push_back(static_cast<char>(c));
        }
    }
    std::string FixedText(std::size_t at, std::size_t length) const {
        Need(at, length);
        std::string s(reinterpret_cast<const char*>(data_ + at), length);
        return s.substr(0, s.find('\0'));
    }
    Bytes Slice(std::size_t at, std::size_t length) const {
        Need(at, length);
        return Bytes(data_ + at, data_ + at + length);
    }

  private:
    void Need(std::size_t at, std::size_t length) const {
        if (at > size_ || length > size_ - at)
            throw FormatError("read of " + std::to_string(length) + " bytes at offset " +
                              std::to_string(at) + " runs past the end (" + std::to_string(size_) +
                              " bytes)");
    }
    const std::uint8_t* data_;
    std::size_t size_;
};

} // namespace vorn::fontconv
