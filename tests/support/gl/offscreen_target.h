#pragma once

#include <array>
#include <cstdint>

#include <GL/glew.h>

namespace bastion::testing_support {

// A single-sample RGBA8 framebuffer with a depth buffer, standing in for the
// caller's framebuffer in renderer tests.
class OffscreenTarget {
public:
    OffscreenTarget(int width, int height);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    GLuint framebuffer() const { return framebuffer_; }

    // Binds it for drawing and reading, sets the viewport to all of it and
    // clears it to `red, green, blue`.
    void bindAndClear(float red, float green, float blue);

    // One pixel's RGBA bytes, read from this framebuffer; (0, 0) is the
    // bottom-left pixel.
    std::array<int, 4> pixel(int x, int y) const;

private:
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
};

}  // namespace bastion::testing_support
