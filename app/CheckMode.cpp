#include "app/CheckMode.h"

#include "app/CommandLine.h"
#include "check/Checker.h"
#include "core/text/FileKind.h"
#include "core/text/StartupError.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace {

const char *severityName(Severity severity)
{
    return severity == Severity::error ? "error" : "warning";
}

std::string count(std::size_t number, const char *what)
{
    return std::to_string(number) + " " + what + (number == 1 ? "" : "s");
}

// A finding with the file it is in: the document, or a save checked against it.
struct Finding {
    std::string file;
    Diagnostic diagnostic;
};

void printText(const std::vector<Finding> &findings, std::size_t errors)
{
    for (const auto &[file, finding] : findings)
        std::cout << renderDiagnostic(file, finding, true) << '\n';
    std::cout << count(errors, "error") << ", " << count(findings.size() - errors, "warning") << '\n';
}

// Escaped as the text form escapes it, so both show a document's text alike.
void printJson(const std::vector<Finding> &findings)
{
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    for (const auto &[file, finding] : findings)
        report.push_back({{"file", escapeControl(file)},
                          {"line", finding.line},
                          {"column", finding.column},
                          {"severity", severityName(finding.severity)},
                          {"code", finding.code},
                          {"message", escapeControl(finding.message)}});
    std::cout << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

} // namespace

// A document that is there but too large is left to the checker: the engine
// refuses it as a game, so it is an error in it.
std::optional<std::string> unreadableDocument(const std::string &path)
{
    const FileKind kind = fileKind(path);
    if (kind == FileKind::none || access(path.c_str(), R_OK) != 0)
        return describeErrno();
    if (kind == FileKind::directory)
        return std::string("it is a directory, not a game document");
    if (kind != FileKind::regular)
        return std::string("it is not a regular file");
    return std::nullopt;
}

int check(const Options &options)
{
    const GameLocation &location = options.game;
    const std::string document = (std::filesystem::path(location.folder) / location.file).string();
    if (const std::optional<std::string> why = unreadableDocument(document)) {
        std::cerr << "adventure: cannot check " << escapeControl(location.shown) << ": " << *why << '\n';
        return 2;
    }
    std::vector<Finding> findings;
    for (Diagnostic &found : checkGame(location.folder, location.file, location.shown, options.textScale))
        findings.push_back({location.shown, std::move(found)});
    if (!options.checkSave.empty())
        for (Diagnostic &found : checkSaveFile(location.folder, location.file, options.checkSave))
            findings.push_back({options.checkSave, std::move(found)});
    const auto errors =
        static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(), [](const Finding &finding) {
            return finding.diagnostic.severity == Severity::error;
        }));
    if (options.format == "json")
        printJson(findings);
    else
        printText(findings, errors);
    const bool failed = errors > 0 || (options.strict && !findings.empty());
    return failed ? 1 : 0;
}
