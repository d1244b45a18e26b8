// Implements tools/robot/text_codec.h.
#include "tools/robot/text_codec.h"

#include <windows.h>

#include <cstdio>

namespace vorn::robot {
namespace {

constexpr UINT kShiftJis = 932;

std::wstring Widen(UINT codePage, DWORD flags, const std::string& text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
    if (length <= 0) throw CodecError("text is not valid in code page " + std::to_string(codePage));
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

// `usedDefault` must be null for UTF-8; the text comes out empty when it cannot be converted.
std::string Narrow(UINT codePage, DWORD flags, const std::wstring& wide, BOOL* usedDefault) {
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                            nullptr, usedDefault);
    std::string narrow(length > 0 ? length : 0, '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                            narrow.data(), length, nullptr, usedDefault);
    return narrow;
}

} // namespace

std::string Utf8ToCp932(const std::string& utf8) {
    std::wstring wide;
    try {
        wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    } catch (const CodecError&) {
        throw CodecError("text is not valid UTF-8");
    }
    if (wide.empty()) return {};
    BOOL usedDefault = FALSE;
    std::string narrow = Narrow(kShiftJis, WC_NO_BEST_FIT_CHARS, wide, &usedDefault);
    if (narrow.empty() || usedDefault)
        throw CodecError("text has a character that code page 932 cannot hold: " + Quoted(utf8));
    return narrow;
}

std::string WideToCp932(const std::wstring& wide) {
    return Narrow(kShiftJis, 0, wide, nullptr);
}

std::string Cp932ToUtf8(const std::string& cp932) {
    if (cp932.empty()) return {};
    return Narrow(CP_UTF8, 0, Widen(kShiftJis, 0, cp932), nullptr);
}

std::string Quoted(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string ErrorSuffix(unsigned long error) {
    return " (error " + std::to_string(error) + ")";
}

} // namespace vorn::robot
