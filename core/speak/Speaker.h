#pragma once

#include <string>

// Says words aloud, for players who cannot read the screen well. The model
// chooses what is said and traces it; how it is said is the program's
// business, and takes none of the frame's time.
class Speaker {
public:
    virtual ~Speaker() = default;
    // Says `words`, cutting short whatever was still being said.
    virtual void say(const std::string &words) = 0;
};
