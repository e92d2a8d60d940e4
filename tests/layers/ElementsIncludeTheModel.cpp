// Compiled against the elements' view this must fail: the model sits above
// the elements. Against the model's own view it builds, so the failure is the
// layering's and nothing else's.
#include "core/Game.h"
