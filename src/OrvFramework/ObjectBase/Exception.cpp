#include "OrvFramework/ObjectBase/Exception.h"

#include <cstdio>

namespace Orv {

std::string ExceptionBase::GetMessage() const {
    if (const auto* e = dynamic_cast<const std::exception*>(this)) return e->what();
    return {};
}

const char* ErrorPrefix(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Logic:
        return "Logic Error : ";
    case ErrorKind::Runtime:
        return "Runtime Error : ";
    case ErrorKind::NullPointer:
        return "Runtime Error : Null Pointer : ";
    case ErrorKind::OutOfRange:
        return "Out of Range : ";
    case ErrorKind::Domain:
        return "Domain Error : ";
    case ErrorKind::InvalidArgument:
        return "Invalid Argument : ";
    case ErrorKind::BadAlloc:
        return "Bad Alloc : ";
    case ErrorKind::FailedResult:
        return "Failed Result : ";
    }
    return "Runtime Error : ";
}

std::string FormatErrorMessage(ErrorKind kind, const std::optional<std::string>& text, std::string_view function,
                               std::string_view file, int line) {
    std::string message = ErrorPrefix(kind);
    // The null-pointer form always has its text part, even when empty.
    if (text) {
        message += *text;
        message += " : ";
    } else if (kind == ErrorKind::NullPointer) {
        message += " : ";
    }
    message += function;
    message += " : ";
    message += file;
    message += " : Line ";
    message += std::to_string(line);
    return message;
}

void ThrowError(ErrorKind kind, std::optional<std::string> text, std::string_view function, std::string_view file,
                int line) {
    const std::string message = FormatErrorMessage(kind, text, function, file, line);
    switch (kind) {
    case ErrorKind::Logic:
        throw Exception<std::logic_error>(message);
    case ErrorKind::Runtime:
    case ErrorKind::NullPointer:
        throw Exception<std::runtime_error>(message);
    case ErrorKind::OutOfRange:
        throw Exception<std::out_of_range>(message);
    case ErrorKind::Domain:
        throw Exception<std::domain_error>(message);
    case ErrorKind::InvalidArgument:
        throw Exception<std::invalid_argument>(message);
    case ErrorKind::BadAlloc:
        throw Exception<std::bad_alloc>(message);
    case ErrorKind::FailedResult:
        throw Exception<FailedResultException>(message);
    }
    throw Exception<std::runtime_error>(message);
}

std::string FailedResultText(ORVRESULT result) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(result));
    return std::string("ORVRESULT = ") + buffer;
}

void ThrowFailedResult(ORVRESULT result, std::string_view function, std::string_view file, int line) {
    ThrowError(ErrorKind::FailedResult, FailedResultText(result), function, file, line);
}

}  // namespace Orv
