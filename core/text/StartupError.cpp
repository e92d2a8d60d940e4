#include "core/text/StartupError.h"

#include <cerrno>
#include <cstring>

namespace {

// runtime_error keeps its message as a C string, which a NUL would end (the
// document's "&#0;" is one): a NUL is kept as every renderer writes it.
std::string withNulsWritten(const std::string &message)
{
    std::string written;
    for (const char c : message)
        written += c == '\0' ? std::string("\\x00") : std::string(1, c);
    return written;
}

} // namespace

StartupError::StartupError(const std::string &message, const char *where)
    : std::runtime_error(withNulsWritten(message)), position(where)
{
}

StartupError::StartupError(const std::string &message, FilePlace elsewhere)
    : std::runtime_error(withNulsWritten(message)), position(nullptr), other(std::move(elsewhere))
{
}

std::string describeErrno()
{
    return describeError(errno);
}

std::string describeError(int error)
{
    char buffer[256];
    // The GNU strerror_r: the text, in the buffer or a static one.
    return strerror_r(error, buffer, sizeof buffer);
}
