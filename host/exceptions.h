// The exception classes every host unit raises and the patch run or the error
// report catches. Portable: no Win32 here.
//
// Contract: an exception carries a fixed message (code page 932 bytes) and the
// address of the point that raised it. Raise them through Raise() so that the
// address is recorded; the error report prints it relative to its module.
// Messages are data: nothing ever uses a message as a printf format.
#pragma once

#include <cstdint>
#include <string>

namespace vorn {

// A byte string in code page 932; lengths and comparisons are in bytes.
using String = std::string;

class Exception {
  public:
    explicit Exception(String message) : message_(std::move(message)) {}
    virtual ~Exception() = default;
    // The class name as the error report prints it.
    virtual const char* ClassName() const { return "Exception"; }
    const String& Message() const { return message_; }
    const void* RaiseAddress() const { return raiseAddress_; }
    void SetRaiseAddress(const void* address) { raiseAddress_ = address; }

  private:
    String message_;
    const void* raiseAddress_ = nullptr;
};

#define VORN_EXCEPTION_CLASS(Name, Base)                                                           \
    class Name : public Base {                                                                     \
      public:                                                                                      \
        using Base::Base;                                                                          \
        const char* ClassName() const override { return #Name; }                                   \
    };

VORN_EXCEPTION_CLASS(ERegistryException, Exception)
VORN_EXCEPTION_CLASS(EStringListError, Exception)
VORN_EXCEPTION_CLASS(EWin32Error, Exception)
VORN_EXCEPTION_CLASS(EAbstractError, Exception)
VORN_EXCEPTION_CLASS(EOutOfResources, Exception)
VORN_EXCEPTION_CLASS(EOutOfMemory, Exception)
VORN_EXCEPTION_CLASS(EStreamError, Exception)
VORN_EXCEPTION_CLASS(EFCreateError, EStreamError)
VORN_EXCEPTION_CLASS(EFOpenError, EStreamError)
VORN_EXCEPTION_CLASS(EFilerError, EStreamError)
VORN_EXCEPTION_CLASS(EReadError, EFilerError)
VORN_EXCEPTION_CLASS(EWriteError, EFilerError)
// Processor and OS faults, as the fault mapper of the start-up unit names them.
VORN_EXCEPTION_CLASS(EExternal, Exception)
VORN_EXCEPTION_CLASS(EAccessViolation, EExternal)
VORN_EXCEPTION_CLASS(EDivByZero, EExternal)
VORN_EXCEPTION_CLASS(ERangeError, EExternal)
VORN_EXCEPTION_CLASS(EIntOverflow, EExternal)
VORN_EXCEPTION_CLASS(EStackOverflow, EExternal)
VORN_EXCEPTION_CLASS(EZeroDivide, EExternal)
VORN_EXCEPTION_CLASS(EOverflow, EExternal)
VORN_EXCEPTION_CLASS(EUnderflow, EExternal)
VORN_EXCEPTION_CLASS(EInvalidOp, EExternal)
VORN_EXCEPTION_CLASS(EPrivilege, EExternal)
VORN_EXCEPTION_CLASS(EControlC, EExternal)
VORN_EXCEPTION_CLASS(EExternalException, EExternal)

#undef VORN_EXCEPTION_CLASS

// Throws `e` with the caller's code address as its raising point. Not inlined,
// so that the return address is a stable location inside the raising function.
template <class E> [[noreturn]] __attribute__((noinline)) void Raise(E e) {
    e.SetRaiseAddress(__builtin_return_address(0));
    throw e;
}

// Fills the first "%s" of a fixed message format with `arg`; the argument is
// copied as it stands, so a "%" inside it is never read as a format.
String FillIn(const String& format, const String& arg);
// Fills the first "%d" of a fixed message format with the decimal `number`.
String FillIn(const String& format, std::int32_t number);

} // namespace vorn
