#pragma once

#include "core/rooms/GameRules.h"
#include "core/text/Document.h"
#include "core/text/StrictValues.h"

#include <SFML/System/Vector2.hpp>

#include <string>
#include <string_view>
#include <vector>

// What the document says about conversations, read once at start-up as the
// rest of the rules are: nothing here changes as the game is played. Names
// and texts point into the document.

// A line: said when its condition holds as it comes up, else passed over.
struct LineRules {
    Node *node = nullptr;
    const char *text = nullptr;
    // The player, the asset id of a sprite it is said above, or null.
    const char *by = nullptr;
    const char *audio = nullptr;
    Condition condition;
};

// A choice of a conversation's menu.
struct OptionRules {
    // What follows the option's lines: the menu again, the end, or another conversation.
    enum class Then { returnToMenu, stop, jump };

    Node *node = nullptr;
    std::string_view id;
    // "DIALOG.OPTION": how conditions, saves and the state name it.
    std::string mark;
    const char *text = nullptr;
    Condition condition;
    bool once = false;
    Then then = Then::returnToMenu;
    std::string_view to;
    const char *toWhere = nullptr;
    Effects effects;
    std::vector<LineRules> lines;
};

struct DialogRules {
    Node *node = nullptr;
    std::string_view id;
    // Said each time it starts or is jumped to.
    std::vector<LineRules> opening;
    std::vector<OptionRules> options;
};

class DialogBook {
public:
    // Reads the root's menu placement and its <dialogs>; throws StartupError
    // for a malformed value or an id given twice (at the second). The flags
    // and items it names are noted in `rules`, as the scenes' are.
    void read(Node *root, GameRules &rules);

    // Whether the document has conversations at all: only then do saves and
    // the trace say anything about them.
    bool declared = false;
    // The top-left of the menu's first row, and the rows' height, in world units.
    sf::Vector2f menu{40, 800};
    float rowHeight = 56;
    std::vector<DialogRules> dialogs;

    const DialogRules *find(std::string_view id) const;
    // The option a "DIALOG.OPTION" mark names, if any.
    const OptionRules *option(std::string_view mark) const;

private:
    DialogRules readDialog(Node *dialog, GameRules &rules);
    OptionRules readOption(Node *option, std::string_view dialog, GameRules &rules);
};
