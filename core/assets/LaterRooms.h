#pragma once

#include "core/text/Document.h"

#include <string>
#include <unordered_set>

// The image files that only rooms after the first one show, under the paths
// the elements give them: every sprite naming one is placed only in scenes
// other than the document's "entryScene", and its id is named nowhere else
// (an item's icon, the cursor, a sequence, a dialog). Until one of those
// rooms is entered nothing can show or hit them, so their pixels may come
// after the first frame. Empty for a document without an entry scene.
std::unordered_set<std::string> imagesOfLaterRooms(Node *root);
