#pragma once

#include <SFML/System/Vector2.hpp>

#include <optional>
#include <string>

// The size an image file declares in its header, read without decoding it:
// PNG, JPEG, BMP and GIF by their signatures, TGA by its file name. So an
// image that decodes to more than the engine can show is refused before its
// pixels take memory. Nothing when the header cannot be read; the decoder
// then says why.
std::optional<sf::Vector2u> declaredImageSize(const std::string &path);

// Why the engine does not decode an image of `size` ("20000 x 20000 pixels,
// more than the engine can show: ...") when a side passes the largest
// texture it relies on; empty when it may. What fits is then held to the
// texture budget as it is uploaded.
std::string oversizedImage(sf::Vector2u size);

// The largest texture side the engine relies on. Drivers tell their own
// limit only with a graphics context (the checker has none); 16384 is what
// current desktop drivers give, and a side beyond it cannot be drawn.
inline constexpr unsigned maxImageSide = 16384;
