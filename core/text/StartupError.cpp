#include "core/text/StartupError.h"

#include <cerrno>
#include <cstring>

StartupError::StartupError(const std::string &message, const char *where) : std::runtime_error(message), position(where)
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
