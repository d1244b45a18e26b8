// What the shipped programs (VORN.EXE, UNVORN.EXE) define in place of the C++
// library's own definitions, so that the library's heavy object files are not
// linked (about 150 KB of a program's size), with the same outcome for it:
//  - the throw helpers of the library's headers. The library keeps them in one
//    file with every library exception class, which brings in its whole
//    string code. std::__throw_bad_alloc throws std::bad_alloc as the
//    library's does; std::__throw_length_error, std::__throw_logic_error and
//    std::__throw_out_of_range_fmt throw a LibraryError naming
//    "std::length_error", "std::logic_error" or "std::out_of_range", which the
//    error report shows exactly as it showed those classes (the name, no
//    message). std::__throw_bad_function_call stays the library's (its file
//    is small).
//  - the terminate handler the library starts with. Its own prints the
//    exception's demangled name to the standard error, which brings in the
//    demangler and printf's formatting; a windowed program has no standard
//    error, and start-up installs the program's own handler
//    (fault_handler_win32.cpp) before the run, so this one only ever ends a
//    process that failed before that: it aborts, as the library's does after
//    printing.
// Linked into the shipped programs only (CMakeLists.txt, vorn_shipped_program):
// the tests keep the library's own definitions.
#pragma once

#include <exception>

namespace vorn {

class LibraryError : public std::exception {
  public:
    LibraryError(const char* typeName, const char* what) : typeName_(typeName), what_(what) {}
    const char* TypeName() const { return typeName_; }
    const char* what() const noexcept override { return what_; }

  private:
    const char* typeName_;
    const char* what_;
};

} // namespace vorn
