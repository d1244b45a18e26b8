// Implements host/error_report.h. Portable.
#include "host/error_report.h"
#include "host/app_title.h"
#include "host/host_texts.h"
#include "host/processor_faults.h"

#include <cctype>

namespace vorn {

namespace {

// The format comes from our own string table; only its "%s", "%p" and "%%"
// are read, and the arguments are copied in as they stand.
String FillReportFormat(const String& format, const String& className, const String& moduleName,
                        std::uint32_t relativeAddress) {
    const String* texts[] = {&className, &moduleName};
    std::size_t nextText = 0;
    String out;
    for (std::size_t at = 0; at < format.size(); ++at) {
        const char c = format[at];
        if (IsCp932LeadByte(static_cast<unsigned char>(c)) && at + 1 < format.size()) {
            out += c;
            out += format[++at];
            continue;
        }
        if (c != '%' || at + 1 == format.size()) {
            out += c;
            continue;
        }
        const char kind = format[++at];
        if (kind == 's') {
            if (nextText < 2) out += *texts[nextText++];
        } else if (kind == 'p') {
            out += Hex8(relativeAddress);
        } else if (kind == '%') {
            out += '%';
        } else {
            out += '%';
            out += kind;
        }
    }
    return out;
}

} // namespace

String Hex8(std::uint32_t value) {
    // By hand: printf's formatting would bring its floating-point conversions
    // into the program for eight digits.
    String digits(8, '0');
    for (std::size_t at = 8; at-- > 0; value >>= 4)
        digits[at] = "0123456789ABCDEF"[value & 0xF];
    return digits;
}

String ReadableTypeName(const String& mangled) {
    // The names a thrown type can carry without templates: a built-in type,
    // or a name made of <length><identifier> parts, either alone, after "St"
    // (namespace std) or as a nested name "N...E" whose first part may be "St".
    static const struct {
        char code;
        const char* name;
    } builtIns[] = {{'v', "void"},
                    {'b', "bool"},
                    {'c', "char"},
                    {'a', "signed char"},
                    {'h', "unsigned char"},
                    {'s', "short"},
                    {'t', "unsigned short"},
                    {'i', "int"},
                    {'j', "unsigned int"},
                    {'l', "long"},
                    {'m', "unsigned long"},
                    {'x', "long long"},
                    {'y', "unsigned long long"},
                    {'f', "float"},
                    {'d', "double"},
                    {'e', "long double"},
                    {'w', "wchar_t"}};
    if (mangled.size() == 1)
        for (const auto& b : builtIns)
            if (b.code == mangled[0]) return b.name;
    const std::size_t size = mangled.size();
    std::size_t at = 0;
    const bool nested = size > 0 && mangled[0] == 'N';
    if (nested) ++at;
    String name;
    if (mangled.compare(at, 2, "St") == 0) {
        name = "std";
        at += 2;
    }
    std::size_t parts = 0;
    while (at < size && std::isdigit(static_cast<unsigned char>(mangled[at]))) {
        std::size_t length = 0;
        while (at < size && std::isdigit(static_cast<unsigned char>(mangled[at])))
            length = length * 10 + static_cast<std::size_t>(mangled[at++] - '0');
        if (length == 0 || length > size - at) return mangled;
        if (!name.empty()) name += "::";
        name += mangled.substr(at, length);
        at += length;
        ++parts;
        if (!nested) break;
    }
    if (nested) {
        if (at + 1 != size || mangled[at] != 'E') return mangled;
        ++at;
    }
    return parts > 0 && at == size ? name : mangled;
}

String BuildErrorReportText(const String& format, const String& className, const String& moduleName,
                            std::uint32_t relativeAddress, const String& message,
                            std::size_t size) {
    String text = FillReportFormat(format, className, moduleName, relativeAddress);
    text += '\n';
    text += message;
    // A byte test: trail bytes are never 0x2E, so a message ending in a
    // double-byte character (even a full-width stop) always gets ".".
    if (!message.empty() && message.back() != '.') text += '.';
    const std::size_t limit = size == 0 ? 0 : size - 1;
    if (text.size() > limit) text.resize(limit);
    return text;
}

String BuildRuntimeErrorText(std::int32_t number, std::uint32_t address) {
    String text = MsgRuntimeErrorTemplate;
    const String digits = std::to_string(number);
    // The number ends on the fourth of the five blanks behind "error". Up to
    // three characters fit with a blank on each side; a longer number (never
    // one of ours, which stay below 256) widens the gap instead of eating into
    // "error", so every digit is shown and one blank stays before it.
    constexpr std::size_t kLastDigit = 16;
    constexpr std::size_t kGapStart = 14;
    if (digits.size() <= 3)
        text.replace(kLastDigit + 1 - digits.size(), digits.size(), digits);
    else
        text.replace(kGapStart, 3, digits);
    return text + Hex8(address);
}

std::int32_t RuntimeErrorNumber(const Exception& e) {
    if (const ProcessorFault* fault = ProcessorFaultOf(e)) return fault->runtimeErrorNumber;
    if (dynamic_cast<const EExternalException*>(&e)) return kUnknownFaultNumber;
    return 217;
}

String FileNamePart(const String& path, LeadByteTest isLeadByte) {
    std::size_t nameStart = 0;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const auto byte = static_cast<unsigned char>(path[at]);
        if (isLeadByte(byte) && at + 1 < path.size())
            ++at;
        else if (byte == '\\')
            nameStart = at + 1;
    }
    return path.substr(nameStart);
}

} // namespace vorn
