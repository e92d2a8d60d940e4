#include "core/text/Diagnostics.h"

#include "core/text/Source.h"

#include <cstdio>
#include <iostream>

namespace {

// The length of the well-formed UTF-8 sequence that starts at `at`, or 0
// when the bytes there are not one (a stray continuation byte, an overlong
// form, a surrogate, a sequence cut short).
std::size_t utf8Length(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

void appendEscaped(std::string &shown, unsigned value)
{
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", value);
    shown += escaped;
}

} // namespace

std::string escapeControl(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 || byte == 0x7f) {
            appendEscaped(shown, byte);
            ++at;
            continue;
        }
        if (byte < 0x80) {
            shown += text[at++];
            continue;
        }
        const std::size_t length = utf8Length(text, at);
        if (length == 0) {
            // A byte that is no character: a terminal in a legacy 8-bit mode
            // reads 0x80 to 0x9f as C1 controls (CSI, OSC) all the same.
            if (byte <= 0x9f)
                appendEscaped(shown, byte);
            else
                shown += text[at];
            ++at;
            continue;
        }
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const auto second = static_cast<unsigned char>(text[at + 1]);
        if (byte == 0xC2 && second <= 0x9f)
            appendEscaped(shown, second);
        else
            shown.append(text.substr(at, length));
        at += length;
    }
    return shown;
}

std::string renderDiagnostic(std::string_view file, const Diagnostic &diagnostic, bool withCode)
{
    std::string text = escapeControl(file) + ":" + std::to_string(diagnostic.line) + ":" +
                       std::to_string(diagnostic.column) + ": " +
                       (diagnostic.severity == Severity::error     ? "error: "
                        : diagnostic.severity == Severity::warning ? "warning: "
                                                                   : "note: ") +
                       escapeControl(diagnostic.message);
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
