#pragma once
// The framework's one family of errors. Every message has the shape
//   <kind prefix><text : ><function> : <file> : Line <n>
// where the kind prefix already ends in " : " and the text part is optional.
#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "OrvFramework/ObjectBase/ResultCodes.h"

namespace Orv {

class ExceptionBase {
public:
    virtual ~ExceptionBase() = default;
    // The message, asked of the standard exception that this object also is.
    std::string GetMessage() const;
};

class FailedResultException : public std::exception {
public:
    explicit FailedResultException(std::string message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

template <class E>
class Exception : public E, public ExceptionBase {
public:
    explicit Exception(const std::string& message) : E(message) {}
};

// std::bad_alloc carries no text of its own.
template <>
class Exception<std::bad_alloc> : public std::bad_alloc, public ExceptionBase {
public:
    explicit Exception(std::string message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

enum class ErrorKind {
    Logic,
    Runtime,
    NullPointer,
    OutOfRange,
    Domain,
    InvalidArgument,
    BadAlloc,
    FailedResult,
};

// The exact prefix of a kind, ending in " : ".
const char* ErrorPrefix(ErrorKind kind);

std::string FormatErrorMessage(ErrorKind kind, const std::optional<std::string>& text, std::string_view function,
                               std::string_view file, int line);

[[noreturn]] void ThrowError(ErrorKind kind, std::optional<std::string> text, std::string_view function,
                             std::string_view file, int line);

// "ORVRESULT = " and the code in upper-case hexadecimal without leading zeros.
std::string FailedResultText(ORVRESULT result);

[[noreturn]] void ThrowFailedResult(ORVRESULT result, std::string_view function, std::string_view file, int line);

}  // namespace Orv

// The function is written out at the throw site in the spelling the messages use; the line is the
// one the message must carry.
#define ORV_THROW(kind, text, function, line) \
    ::Orv::ThrowError(::Orv::ErrorKind::kind, std::string(text), function, __FILE__, line)
#define ORV_THROW_NO_TEXT(kind, function, line) \
    ::Orv::ThrowError(::Orv::ErrorKind::kind, std::nullopt, function, __FILE__, line)
#define ORV_THROW_IF_FAILED(expr, function, line)                                                        \
    do {                                                                                                 \
        const ::Orv::ORVRESULT orv_result_ = (expr);                                                     \
        if (::Orv::Failed(orv_result_)) ::Orv::ThrowFailedResult(orv_result_, function, __FILE__, line); \
    } while (0)
