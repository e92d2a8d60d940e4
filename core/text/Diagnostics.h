#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class Source;

// A note tells what the checker counted; it fails nothing, not even --strict.
enum class Severity { error, warning, note };

// One finding about a document: where it is (1-based line and column), how
// bad, a stable code for tools, and the message for people.
struct Diagnostic {
    Severity severity = Severity::warning;
    std::size_t line = 1;
    std::size_t column = 1;
    std::string code;
    std::string message;
};

// Shows control characters as \xNN, so that text quoted from a document
// cannot move the cursor, clear the terminal or retitle it: C0, DEL, and C1
// (U+0080 to U+009F, and bytes 0x80 to 0x9f that are no UTF-8 character).
std::string escapeControl(std::string_view text);

// "FILE:LINE:COLUMN: SEVERITY: MESSAGE", escaped; with the code in brackets
// at the end when asked for.
std::string renderDiagnostic(std::string_view file, const Diagnostic &diagnostic, bool withCode = false);

// Everything that loading a document finds besides the one fault that stops
// it: warnings from the loader and the elements, in the order found. Each is
// echoed as it is reported unless the echo is turned off (the checker sorts
// and prints them itself).
class Diagnostics {
public:
    explicit Diagnostics(const Source &source, std::ostream *echo);

    // `where` points into the document's text, or is null for the file as a whole.
    void report(Severity severity, const char *where, std::string code, std::string message);
    void report(Severity severity, std::size_t line, std::size_t column, std::string code, std::string message);

    const std::vector<Diagnostic> &all() const { return found; }
    std::string render(const Diagnostic &diagnostic, bool withCode = false) const;

private:
    const Source &source;
    std::ostream *echo;
    std::vector<Diagnostic> found;
};

// A warning into `sink`, or onto standard error, unlocated, when there is no
// sink (a file read outside a loaded game).
void warnInto(Diagnostics *sink, const char *where, const char *code, const std::string &message);
