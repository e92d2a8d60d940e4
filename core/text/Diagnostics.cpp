#include "core/text/Diagnostics.h"

#include "core/text/Source.h"

#include <cstdio>
#include <iostream>

std::string escapeControl(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string renderDiagnostic(std::string_view file, const Diagnostic &diagnostic, bool withCode)
{
    std::string text =
        escapeControl(file) + ":" + std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column) + ": " +
        (diagnostic.severity == Severity::error ? "error: " : "warning: ") + escapeControl(diagnostic.message);
    if (withCode && !diagnostic.code.empty())
        text += " [" + diagnostic.code + "]";
    return text;
}

Diagnostics::Diagnostics(const Source &text, std::ostream *echoTo) : source(text), echo(echoTo) {}

void Diagnostics::report(Severity severity, const char *where, std::string code, std::string message)
{
    const auto [line, column] = source.position(where);
    report(severity, line, column, std::move(code), std::move(message));
}

void Diagnostics::report(Severity severity, std::size_t line, std::size_t column, std::string code, std::string message)
{
    found.push_back({severity, line, column, std::move(code), std::move(message)});
    if (echo)
        *echo << render(found.back()) << '\n';
}

std::string Diagnostics::render(const Diagnostic &diagnostic, bool withCode) const
{
    return renderDiagnostic(source.fileName(), diagnostic, withCode);
}

void warnInto(Diagnostics *sink, const char *where, const char *code, const std::string &message)
{
    if (sink)
        sink->report(Severity::warning, where, code, message);
    else
        std::cerr << "warning: " << escapeControl(message) << '\n';
}
