// format_doc: prints the game format's attribute tables in Markdown, from
// the same table the loader and the checker follow. The README carries this
// output between its "format-tables" markers; a test keeps the two equal.
#include "core/text/Format.h"

#include <iostream>

namespace {

const char *heading(const ElementFormat &format)
{
    const std::string_view kind = format.kind;
    if (kind == "root")
        return "The root element (any name)";
    if (kind == "scene")
        return "Scenes: each child of `<scenes>`, whatever its name";
    if (kind == "scene child")
        return "Scene children: each child of a scene, named by the id it places";
    if (kind == "state")
        return "`<state>`: a child of the root declaring flags and items";
    if (kind == "flag" || kind == "item")
        return kind == "flag" ? "`<flag>`: a child of `<state>`" : "`<item>`: a child of `<state>`";
    if (kind == "inventory")
        return "`<inventory>`: a child of the root; without it items are neither shown nor selectable";
    if (kind == "use")
        return "`<use>`: a child of a scene child, what using an item on it does";
    if (kind == "dialogs")
        return "`<dialogs>`: a child of the root holding the conversations";
    if (kind == "dialog")
        return "`<dialog>`: a child of `<dialogs>`, one conversation";
    if (kind == "say")
        return "`<say>`: a line, in a `<dialog>` (its opening lines) or in an `<option>`";
    if (kind == "option")
        return "`<option>`: a child of `<dialog>`, one choice of its menu";
    if (kind == "sequences")
        return "`<sequences>`: a child of the root holding the cutscenes";
    if (kind == "sequence")
        return "`<sequence>`: a child of `<sequences>`, one cutscene; its children are its steps, run in order";
    if (kind == "sequence say")
        return "`<say>` in a `<sequence>`: a line, passed by a press, Enter or Space, or after its frames";
    if (kind == "fade")
        return "`<fade>` in a `<sequence>`: the picture darkens to black or lightens again";
    if (kind == "languages")
        return "`<languages>`: a child of the root, the languages its texts are translated to (docs/translating.md)";
    if (kind == "language")
        return "`<language>`: a child of `<languages>`, one translation";
    if (kind == "sequence scene")
        return "`<scene>` in a `<sequence>`: a scene change";
    return nullptr;
}

} // namespace

int main()
{
    for (const ElementFormat &format : gameFormat()) {
        if (const char *title = heading(format))
            std::cout << "#### " << title << "\n\n";
        else
            std::cout << "#### `<" << format.kind << ">`\n\n";
        if (format.attributes.empty()) {
            std::cout << "No attributes.\n\n";
            continue;
        }
        std::cout << "| Attribute | Syntax | Range | Required | Absent | Meaning |\n|---|---|---|---|---|---|\n";
        for (const AttributeFormat &attribute : format.attributes)
            std::cout << "| `" << attribute.name << "` | " << syntaxName(attribute.syntax) << " | "
                      << rangeText(attribute) << " | " << (attribute.required ? "yes" : "no") << " | "
                      << (attribute.required ? "" : attribute.fallback) << " | " << attribute.meaning << " |\n";
        std::cout << '\n';
    }
}
