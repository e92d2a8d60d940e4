#include "core/assets/LibraryErrors.h"

#include "core/text/Diagnostics.h"

#include <SFML/System/Err.hpp>

#include <iostream>
#include <mutex>
#include <streambuf>

namespace {
thread_local LibraryErrorCapture *innermost = nullptr;
} // namespace

// Unbuffered: every character reaches overflow or xsputn, under the lock.
class LibraryErrorRouter : public std::streambuf {
public:
    LibraryErrorRouter() : standardError(std::cerr.rdbuf()) {}

    std::mutex lock;

protected:
    int overflow(int character) override
    {
        if (character == traits_type::eof())
            return traits_type::not_eof(character);
        const char c = static_cast<char>(character);
        xsputn(&c, 1);
        return character;
    }

    std::streamsize xsputn(const char *text, std::streamsize count) override
    {
        const std::lock_guard<std::mutex> held(lock);
        if (innermost)
            innermost->heard.append(text, static_cast<std::size_t>(count));
        else
            standardError->sputn(text, count);
        return count;
    }

    int sync() override
    {
        const std::lock_guard<std::mutex> held(lock);
        return innermost ? 0 : standardError->pubsync();
    }

private:
    std::streambuf *standardError;
};

namespace {

LibraryErrorRouter &router()
{
    // Never destroyed: audio threads may still write while the process ends.
    static LibraryErrorRouter &instance = []() -> LibraryErrorRouter & {
        auto *made = new LibraryErrorRouter();
        sf::err().rdbuf(made);
        return *made;
    }();
    return instance;
}

} // namespace

void routeLibraryErrors()
{
    router();
}

LibraryErrorCapture::LibraryErrorCapture() : outer(innermost)
{
    routeLibraryErrors();
    innermost = this;
}

LibraryErrorCapture::~LibraryErrorCapture()
{
    innermost = outer;
}

std::string LibraryErrorCapture::text() const
{
    const std::lock_guard<std::mutex> held(router().lock);
    return heard;
}

LibraryErrors::LibraryErrors(Diagnostics *findings, const char *at, const char *kind)
    : sink(findings), where(at), code(kind)
{
}

LibraryErrors::~LibraryErrors()
{
    std::string text = capture.text();
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    for (char &c : text)
        if (c == '\n')
            c = ' ';
    if (!text.empty())
        warnInto(sink, where, code, text);
}
