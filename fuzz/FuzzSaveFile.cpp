// libFuzzer target: arbitrary bytes as a save file. The reader either
// refuses it with a reason, located inside the text when it has a place, or
// reads it; what it reads writes back as a save that reads as the same
// state and writes as the same bytes, so a loaded save saved again never
// changes.

#include "core/state/SaveFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

namespace {

void checkProblem(const SaveProblem &problem, std::string_view text)
{
    if (problem.message.empty() || (problem.line > 0 && problem.column == 0) || problem.line > text.size() + 1)
        std::abort();
}

void checkRoundTrip(const SaveData &data)
{
    const std::string written = saveText(data);
    const std::variant<SaveData, SaveProblem> again = parseSave(written);
    if (!std::holds_alternative<SaveData>(again) || saveText(std::get<SaveData>(again)) != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::variant<SaveData, SaveProblem> read = parseSave(text);
    if (const SaveProblem *problem = std::get_if<SaveProblem>(&read))
        checkProblem(*problem, text);
    else
        checkRoundTrip(std::get<SaveData>(read));
    return 0;
}
