#include "core/text/StartupError.h"

StartupError::StartupError(const std::string &message, const char *where) : std::runtime_error(message), position(where)
{
}
