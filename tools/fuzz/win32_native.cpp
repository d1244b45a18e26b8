// Implements the functions of tools/fuzz/win32/windows.h natively, as the
// Windows documentation describes them, for the scenario reader's fuzz
// harness: code page 932 and UTF-8 through glibc's iconv, the lead bytes of
// code page 932, a case-blind comparison, and the calendar of SYSTEMTIME and
// FILETIME.
#include <windows.h>

#include <iconv.h>

#include <cstring>
#include <string>

namespace {

const char* CharsetOf(UINT codePage) {
    return codePage == CP_UTF8 ? "UTF-8" : "CP932";
}

// One character's bytes from `text` into a code point; the byte count used,
// or 0 when the bytes are not a character of the code page.
int DecodeOne(iconv_t cd, const char* text, int left, char32_t& out) {
    for (int take = 1; take <= left && take <= 4; ++take) {
        char* in = const_cast<char*>(text);
        std::size_t inLeft = static_cast<std::size_t>(take);
        char32_t unit = 0;
        char* to = reinterpret_cast<char*>(&unit);
        std::size_t toLeft = sizeof unit;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1) && toLeft == 0) {
            out = unit;
            return take;
        }
    }
    return 0;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int length, wchar_t* wide,
                        int wideLength) {
    if (length < 0) length = static_cast<int>(std::strlen(text)) + 1;
    iconv_t cd = iconv_open("UTF-32LE", CharsetOf(codePage));
    std::u32string result;
    for (int at = 0; at < length;) {
        char32_t c;
        const int used = DecodeOne(cd, text + at, length - at, c);
        if (used == 0) {
            if (flags & MB_ERR_INVALID_CHARS) {
                iconv_close(cd);
                return 0;
            }
            result += U'\uFFFD';
            ++at;
        } else {
            result += c;
            at += used;
        }
    }
    iconv_close(cd);
    if (wide == nullptr) return static_cast<int>(result.size());
    if (static_cast<int>(result.size()) > wideLength) return 0;
    for (std::size_t i = 0; i < result.size(); ++i)
        wide[i] = static_cast<wchar_t>(result[i]);
    return static_cast<int>(result.size());
}

int WideCharToMultiByte(UINT codePage, DWORD, const wchar_t* wide, int length, char* text,
                        int textLength, const char*, BOOL* usedDefault) {
    iconv_t cd = iconv_open(CharsetOf(codePage), "UTF-32LE");
    std::string result;
    if (usedDefault) *usedDefault = FALSE;
    for (int i = 0; i < length; ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        char* in = reinterpret_cast<char*>(&c);
        std::size_t inLeft = sizeof c;
        char bytes[8];
        char* to = bytes;
        std::size_t toLeft = sizeof bytes;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1)) {
            result += '?';
            if (usedDefault) *usedDefault = TRUE;
        } else {
            result.append(bytes, sizeof bytes - toLeft);
        }
    }
    iconv_close(cd);
    if (text == nullptr) return static_cast<int>(result.size());
    if (static_cast<int>(result.size()) > textLength) return 0;
    std::memcpy(text, result.data(), result.size());
    return static_cast<int>(result.size());
}

BOOL IsDBCSLeadByteEx(UINT, BYTE byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int lstrcmpiA(const char* a, const char* b) {
    const auto fold = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A')
                                    : static_cast<unsigned char>(c);
    };
    for (;; ++a, ++b) {
        if (fold(*a) != fold(*b)) return fold(*a) < fold(*b) ? -1 : 1;
        if (*a == '\0') return 0;
    }
}

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool LeapYear(unsigned y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

} // namespace

BOOL SystemTimeToFileTime(const SYSTEMTIME* t, FILETIME* fileTime) {
    static const unsigned monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t->wYear < 1601 || t->wYear > 30827 || t->wMonth < 1 || t->wMonth > 12 || t->wDay < 1 ||
        t->wHour > 23 || t->wMinute > 59 || t->wSecond > 59 || t->wMilliseconds > 999)
        return FALSE;
    const unsigned days = monthDays[t->wMonth - 1] + (t->wMonth == 2 && LeapYear(t->wYear));
    if (t->wDay > days) return FALSE;
    const std::int64_t day = DaysFromCivil(t->wYear, t->wMonth, t->wDay) + kDaysFrom1601To1970;
    const std::int64_t ticks = ((day * 24 + t->wHour) * 60 + t->wMinute) * 60 * kTicksPerSecond +
                               t->wSecond * kTicksPerSecond +
                               t->wMilliseconds * std::int64_t{10000};
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* t) {
    const std::uint64_t ticks = fileTime->dwLowDateTime | std::uint64_t{fileTime->dwHighDateTime}
                                                              << 32;
    if (ticks >= 0x8000000000000000ull) return FALSE;
    std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
    const std::int64_t z = seconds / 86400 - kDaysFrom1601To1970 + 719468;
    seconds %= 86400;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    t->wYear = static_cast<WORD>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
    t->wMonth = static_cast<WORD>(m);
    t->wDay = static_cast<WORD>(doy - (153 * mp + 2) / 5 + 1);
    t->wDayOfWeek = 0;
    t->wHour = static_cast<WORD>(seconds / 3600);
    t->wMinute = static_cast<WORD>(seconds / 60 % 60);
    t->wSecond = static_cast<WORD>(seconds % 60);
    t->wMilliseconds = static_cast<WORD>(ticks / 10000 % 1000);
    return TRUE;
}
