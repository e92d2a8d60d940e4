#include "core/assets/LaterRooms.h"

#include <gtest/gtest.h>

#include <rapidxml.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> laterOf(std::string text)
{
    rapidxml::xml_document<char> document;
    document.parse<0>(text.data());
    const std::unordered_set<std::string> later = imagesOfLaterRooms(document.first_node());
    std::vector<std::string> sorted(later.begin(), later.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

const char *const assets = "<assets path='img'>"
                           "<sprite id='desk' src='desk.png'/><sprite id='hall' src='hall.png'/>"
                           "<sprite id='door' src='door.png'/><sprite id='backDoor' src='door.png'/>"
                           "<sprite id='key' src='key.png'/><sprite id='ghost' src='ghost.png'/>"
                           "<sprite id='bell' src='bell.png'/><sprite src='nameless.png'/>"
                           "<player src='hall.png'/><sprite id='garden' src='garden.png'/>"
                           "<sprite id='yard' src='yard.png'/></assets>";

} // namespace

// Only what nothing can show before another room is entered: named as a
// child of later scenes alone, by every sprite of its file, and by no value
// or element anywhere else.
TEST(LaterRooms, AreTheImagesOnlyTheChildrenOfOtherScenesName)
{
    const std::string scenes = "<scenes><scene sceneId='1'><desk/><door/></scene>"
                               "<scene sceneId='2'><hall/><backDoor/><key/><ghost/><bell onClickDialog='bell'/></scene>"
                               "<scene sceneId='3'><garden/><yard><use item='x'/></yard></scene>"
                               "<scene><desk/></scene></scenes>";
    const std::string game = "<game entryScene='1' cursor='arrow'>" + std::string(assets) +
                             "<items><item id='x' icon='key'/></items>"
                             "<sequences><sequence id='s'><ghost/></sequence></sequences>" +
                             scenes + "</game>";
    // hall.png is the player's too, door.png the first room's door, key an
    // icon, ghost a sequence's, bell a dialog's name.
    EXPECT_EQ(laterOf(game), (std::vector<std::string>{"img/garden.png", "img/yard.png"}));

    // The entry scene is whichever the root names.
    const std::string fromTwo = "<game entryScene=' 2'>" + std::string(assets) + scenes + "</game>";
    EXPECT_EQ(laterOf(fromTwo), (std::vector<std::string>{"img/garden.png", "img/yard.png"}));
    // Without the icon and the sequence, the key and the ghost are later
    // rooms' too; a scene without an id counts as the first.
    const std::string fromThree = "<game entryScene='3'>" + std::string(assets) + scenes + "</game>";
    EXPECT_EQ(laterOf(fromThree), (std::vector<std::string>{"img/door.png", "img/ghost.png", "img/key.png"}));
}

TEST(LaterRooms, NoneWithoutAnEntrySceneOrAssets)
{
    EXPECT_TRUE(laterOf("<game><assets><sprite id='a' src='a.png'/></assets>"
                        "<scenes><scene sceneId='2'><a/></scene></scenes></game>")
                    .empty());
    EXPECT_TRUE(laterOf("<game entryScene='1'><scenes><scene sceneId='2'><a/></scene></scenes></game>").empty());
}
