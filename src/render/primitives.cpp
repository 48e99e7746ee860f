#include <cmath>

#include <GL/glew.h>

#include "render/internal/unit_cube.h"
#include "render/renderer.h"

namespace bastion {

void Renderer::box(const Matrix& M, Vec3 tint) {
    const Matrix transform = vant::multiply(frameMatrix, M);
    glUniformMatrix4fv(transformLocation, 1, GL_FALSE, transform.data());
    glUniform3f(tintLocation, tint.x, tint.y, tint.z);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(kUnitCube.size()));
}

void Renderer::line(const Matrix& M, Vec3 a, Vec3 b, float width, Vec3 colour) {
    const Vec3 d = b - a;
    const float len = length(d);
    if (len < 1e-5f) return;
    const float c = d.x / len;
    const float s = d.y / len;
    const float h = len / 2.0f;
    const Vec3 mid = (a + b) * 0.5f;
    // The cube stretched along (d.x, d.y), `width` to each side and a hair
    // deep, centred on the midpoint.
    const Matrix bar{c * h, s * h, 0, 0, -s * width, c * width, 0, 0, 0, 0, 0.001f, 0, mid.x, mid.y, mid.z, 1};
    box(vant::multiply(M, bar), colour);
}

}  // namespace bastion
