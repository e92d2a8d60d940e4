#include "app/CheckMode.h"

#include "app/CommandLine.h"
#include "check/Checker.h"
#include "check/TranslationChecks.h"
#include "core/text/FileKind.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace {

const char *severityName(Severity severity)
{
    return severity == Severity::error ? "error" : severity == Severity::warning ? "warning" : "note";
}

std::string count(std::size_t number, const char *what)
{
    return std::to_string(number) + " " + what + (number == 1 ? "" : "s");
}

// Each finding is printed as it comes, so that the report of a huge document
// is never held whole.
class Report {
public:
    explicit Report(bool asJson) : json(asJson) {}

    // A finding in `file`: the document, or a save checked against it.
    void add(const std::string &file, const Diagnostic &finding)
    {
        ++(finding.severity == Severity::error ? errors : finding.severity == Severity::warning ? warnings : notes);
        if (json)
            printJson(file, finding);
        else
            std::cout << renderDiagnostic(file, finding, true) << '\n';
    }

    // The summary line, or the end of the JSON array.
    void finish(std::size_t unsuggested)
    {
        if (json) {
            std::cout << (errors + warnings + notes == 0 ? "[]" : "\n]") << '\n';
            return;
        }
        std::cout << count(errors, "error") << ", " << count(warnings, "warning");
        if (unsuggested > 0)
            std::cout << "; " << count(unsuggested, "finding")
                      << " got no \"did you mean\": the budget for suggestions was spent";
        std::cout << '\n';
    }

    std::size_t errorCount() const { return errors; }
    std::size_t total() const { return errors + warnings; }

private:
    // One element of the array as a whole array would be dumped, indented in it.
    // Escaped as the text form escapes it, so both show a document's text alike.
    void printJson(const std::string &file, const Diagnostic &finding) const
    {
        const nlohmann::ordered_json object{{"file", escapeControl(file)}, {"line", finding.line},
                                            {"column", finding.column},    {"severity", severityName(finding.severity)},
                                            {"code", finding.code},        {"message", escapeControl(finding.message)}};
        std::string text = "  " + object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 3))
            text.replace(at, 1, "\n  ");
        std::cout << (errors + warnings + notes == 1 ? "[\n" : ",\n") << text;
    }

    bool json;
    std::size_t errors = 0;
    std::size_t warnings = 0;
    std::size_t notes = 0;
};

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
    Report report(options.format == "json");
    const std::shared_ptr<const GameDocument> read = readGameDocument(location);
    const std::size_t unsuggested = checkGame(read, location.folder, options.textScale,
                                              [&](const Diagnostic &finding) { report.add(location.shown, finding); });
    for (const FileFinding &found : checkTranslations(*read, location.folder, options.language))
        report.add(found.file, found.finding);
    if (!options.checkSave.empty())
        for (const Diagnostic &found : checkSaveFile(location.folder, location.file, options.checkSave))
            report.add(options.checkSave, found);
    report.finish(unsuggested);
    const bool failed = report.errorCount() > 0 || (options.strict && report.total() > 0);
    return failed ? 1 : 0;
}
