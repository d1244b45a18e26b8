// Implements host/processor_faults.h: the one table of processor faults.
#include "host/processor_faults.h"
#include "host/host_texts.h"

#include <iterator>

namespace vorn {

namespace {

template <class E> std::exception_ptr Make(const String& message, const void* address) {
    E e(message);
    e.SetRaiseAddress(address);
    return std::make_exception_ptr(e);
}

template <class E> bool IsClassOf(const Exception& e) {
    return dynamic_cast<const E*>(&e) != nullptr;
}

template <class E>
constexpr ProcessorFault Row(std::uint32_t code, const char* message, std::int32_t number) {
    return {code, &Make<E>, &IsClassOf<E>, message, number};
}

// In the order of the runtime-error numbers; the codes are those of winnt.h.
const ProcessorFault kFaults[] = {
    Row<EDivByZero>(0xC0000094, MsgDivByZero, 200),
    Row<EZeroDivide>(0xC000008E, MsgZeroDivide, 200),
    Row<ERangeError>(0xC000008C, MsgRangeError, 201),
    Row<EStackOverflow>(0xC00000FD, MsgStackOverflow, 202),
    Row<EOverflow>(0xC0000091, MsgFloatOverflow, 205),
    Row<EUnderflow>(0xC0000093, MsgFloatUnderflow, 206),
    Row<EUnderflow>(0xC000008D, MsgFloatUnderflow, 206),
    Row<EInvalidOp>(0xC000008F, MsgInvalidFloatOp, 207),
    Row<EInvalidOp>(0xC0000090, MsgInvalidFloatOp, 207),
    Row<EInvalidOp>(0xC0000092, MsgInvalidFloatOp, 207),
    Row<EIntOverflow>(0xC0000095, MsgIntOverflow, 215),
    Row<EAccessViolation>(kAccessViolationCode, nullptr, 216),
    Row<EControlC>(0xC000013A, MsgControlC, 217),
    Row<EPrivilege>(0xC0000096, MsgPrivilege, 218),
};

} // namespace

const ProcessorFault* FindProcessorFault(std::uint32_t code) {
    for (const ProcessorFault& fault : kFaults)
        if (fault.code == code) return &fault;
    return nullptr;
}

std::int32_t RuntimeErrorNumberOfCode(std::uint32_t code) {
    const ProcessorFault* fault = FindProcessorFault(code);
    return fault ? fault->runtimeErrorNumber : kUnknownFaultNumber;
}

const ProcessorFault* ProcessorFaultOf(const Exception& e) {
    for (const ProcessorFault& fault : kFaults)
        if (fault.isClassOf(e)) return &fault;
    return nullptr;
}

} // namespace vorn
