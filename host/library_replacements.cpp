// Implements host/library_replacements.h.
#include "host/library_replacements.h"

#include <cstdlib>
#include <new>

namespace std {

void __throw_bad_alloc() {
    throw std::bad_alloc();
}

void __throw_length_error(const char* what) {
    throw vorn::LibraryError("std::length_error", what);
}

void __throw_logic_error(const char* what) {
    throw vorn::LibraryError("std::logic_error", what);
}

// The library fills the position into the message; the report of a foreign
// exception shows no message, so the format stays as it is.
void __throw_out_of_range_fmt(const char* format, ...) {
    throw vorn::LibraryError("std::out_of_range", format);
}

} // namespace std

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
