// Golden images: a picture the program draws, compared pixel for pixel with the one stored in
// tests/golden/<name>.bmp, so that a change that alters what the user sees fails until its image
// is updated on purpose.
//
// With the environment variable VYREX_UPDATE_GOLDEN=1 the comparison writes the picture as the
// new golden image instead (and passes); commit the changed file with the change that made it.
// A missing golden image fails with the instructions. The pictures are 24-bit BMPs, so a person
// can look at them with any viewer.
#pragma once

#include <string>

#include "video/draw.h"

namespace golden {

// "" when the top-left width × height pixels of `surface` equal the stored image `name` (or it
// was just written, see above); otherwise what differs: the sizes, or the count of differing
// pixels and the first of them.
std::string compare(const draw::Surface& surface, int width, int height, const std::string& name);

// The same for a frame of pixels (the headless display's last frame, XRGB8888).
std::string compareFrame(const uint32_t* pixels, int width, int height, const std::string& name);

}  // namespace golden
