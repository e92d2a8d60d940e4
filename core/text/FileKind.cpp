#include "core/text/FileKind.h"

#include <sys/stat.h>

FileKind fileKindOf(unsigned mode)
{
    if (S_ISREG(mode))
        return FileKind::regular;
    return S_ISDIR(mode) ? FileKind::directory : FileKind::other;
}

FileKind fileKind(const std::string &path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? fileKindOf(info.st_mode) : FileKind::none;
}

bool isRegularFile(const std::string &path)
{
    return fileKind(path) == FileKind::regular;
}

bool isRegularOrMissing(const std::string &path)
{
    const FileKind kind = fileKind(path);
    return kind == FileKind::none || kind == FileKind::regular;
}
