#include "core/LibraryErrors.h"

#include "core/Diagnostics.h"

#include <SFML/System/Err.hpp>

LibraryErrors::LibraryErrors(const char *at, const char *kind)
    : where(at), code(kind), previous(sf::err().rdbuf(&captured))
{
}

LibraryErrors::~LibraryErrors()
{
    sf::err().rdbuf(previous);
    std::string text = captured.str();
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    for (char &c : text)
        if (c == '\n')
            c = ' ';
    if (!text.empty())
        warnAt(where, code, text);
}
