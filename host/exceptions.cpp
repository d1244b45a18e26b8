// Implements host/exceptions.h. Portable.
#include "host/exceptions.h"

namespace vorn {

namespace {
String Replace(const String& format, const char* marker, const String& arg) {
    const auto at = format.find(marker);
    if (at == String::npos) return format;
    return format.substr(0, at) + arg + format.substr(at + 2);
}
} // namespace

String FillIn(const String& format, const String& arg) {
    return Replace(format, "%s", arg);
}

String FillIn(const String& format, std::int32_t number) {
    return Replace(format, "%d", std::to_string(number));
}

} // namespace vorn
