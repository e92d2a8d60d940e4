#include "core/text/Source.h"

#include "core/text/FileKind.h"
#include "core/text/StartupError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor on every way out of readFile.
struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

// Skips from `p` (just after "<!" or "<?") to the end of a construct that is
// not an element, so its contents are not mistaken for tags.
const char *skipMarkup(const char *p, const char *end)
{
    auto skipPast = [&](const char *terminator) {
        const char *found = std::search(p, end, terminator, terminator + std::strlen(terminator));
        return found == end ? end : found + std::strlen(terminator);
    };
    if (end - p >= 3 && std::strncmp(p, "!--", 3) == 0)
        return skipPast("-->");
    if (end - p >= 8 && std::strncmp(p, "![CDATA[", 8) == 0)
        return skipPast("]]>");
    if (*p == '?')
        return skipPast("?>");
    int brackets = 0;
    for (; p < end; ++p) {
        if (*p == '[')
            ++brackets;
        else if (*p == ']')
            --brackets;
        else if (*p == '>' && brackets <= 0)
            return p + 1;
    }
    return end;
}

// Skips an element's start tag from just after "<", honouring quoted values.
// Returns the position after ">" and tells whether the tag closed itself.
const char *skipStartTag(const char *p, const char *end, bool &selfClosing)
{
    char quote = 0;
    for (; p < end; ++p) {
        if (quote) {
            if (*p == quote)
                quote = 0;
        } else if (*p == '"' || *p == '\'') {
            quote = *p;
        } else if (*p == '>') {
            selfClosing = p[-1] == '/';
            return p + 1;
        }
    }
    selfClosing = true;
    return end;
}

} // namespace

Source::Source(std::string file, std::string shownAs)
    : path(std::move(file)), name(shownAs.empty() ? path : std::move(shownAs))
{
    readFile();
    indexLines();
}

void Source::readFile()
{
    // Non-blocking, so that a pipe in the file's place is refused instead of waited on.
    FileDescriptor file{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0)
        throw StartupError("cannot open " + name + ": " + describeErrno(), nullptr);
    struct stat info {};
    if (fstat(file.fd, &info) != 0)
        throw StartupError("cannot read " + name + ": " + describeErrno(), nullptr);
    const FileKind kind = fileKindOf(info.st_mode);
    if (kind == FileKind::directory)
        throw StartupError(name + " is a directory, not a game document", nullptr);
    if (kind != FileKind::regular)
        throw StartupError(name + " is not a regular file", nullptr);
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        throw StartupError(name + " is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB", nullptr);

    const auto size = static_cast<std::size_t>(info.st_size);
    buffer.assign(size + 1, '\0');
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = read(file.fd, buffer.data() + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw StartupError("cannot read " + name + ": " + describeErrno(), nullptr);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    buffer.resize(done + 1);
}

void Source::indexLines()
{
    static_assert(maxBytes <= UINT32_MAX, "line starts are held in 32 bits");
    const auto text = buffer.begin();
    const auto end = buffer.end() - 1;
    lineStarts.reserve(static_cast<std::size_t>(std::count(text, end, '\n')) + 1);
    lineStarts.push_back(0);
    for (auto at = std::find(text, end, '\n'); at != end; at = std::find(at + 1, end, '\n'))
        lineStarts.push_back(static_cast<std::uint32_t>(at - text + 1));
}

void Source::checkShape() const
{
    const char *begin = buffer.data();
    const char *end = begin + buffer.size() - 1;
    const char *nul = std::find(begin, end, '\0');
    int depth = 0;
    bool rootClosed = false;
    for (const char *p = begin; p < nul;) {
        if (*p != '<') {
            ++p;
            continue;
        }
        const char *tag = p++;
        if (p < nul && (*p == '!' || *p == '?')) {
            p = skipMarkup(p, nul);
        } else if (p < nul && *p == '/') {
            depth = std::max(0, depth - 1);
            rootClosed = rootClosed || depth == 0;
            ++p;
        } else {
            bool selfClosing = false;
            p = skipStartTag(p, nul, selfClosing);
            if (!selfClosing && ++depth > maxDepth)
                throw StartupError("elements are nested deeper than " + std::to_string(maxDepth) + " levels", tag);
            // A start tag cut short by the NUL closes nothing.
            rootClosed = rootClosed || (depth == 0 && p[-1] == '>');
        }
    }
    if (nul != end && !rootClosed)
        throw StartupError("the document contains a NUL byte", nul);
}

std::pair<std::size_t, std::size_t> Source::position(const char *where) const
{
    const char *begin = buffer.data();
    if (!where || where < begin || where >= begin + buffer.size())
        return {1, 1};
    const auto offset = static_cast<std::size_t>(where - begin);
    const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset,
                                       [](std::size_t at, std::uint32_t start) { return at < start; });
    const auto line = static_cast<std::size_t>(next - lineStarts.begin());
    return {line, offset - lineStarts[line - 1] + 1};
}

std::string Source::locate(const char *where) const
{
    const auto [line, column] = position(where);
    return name + ":" + std::to_string(line) + ":" + std::to_string(column);
}
