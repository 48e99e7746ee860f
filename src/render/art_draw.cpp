#include <stdexcept>

#include <GL/glew.h>

#include "render/renderer.h"

namespace bastion {

void Renderer::art(const std::string& name, const Matrix& M, std::array<float, 4> uvRect, Vec3 tint) {
    beginArt(name);
    artQuad(M, uvRect, tint);
    endArt();
}

void Renderer::beginArt(const std::string& name) {
    const auto found = textures.find(name);
    if (found == textures.end()) throw std::runtime_error("Missing original asset: " + name);

    glUseProgram(artProgram);
    glBindVertexArray(artVertexArray);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, found->second.texture);
    // Inside the world's depth slices an image shows only within the slice.
    if (sliceCulling) {
        glUniform2f(artDepthRangeLocation, sliceNear, sliceFar);
    } else {
        glUniform2f(artDepthRangeLocation, 0.0f, 0.0f);
    }
}

void Renderer::artQuad(const Matrix& M, std::array<float, 4> uvRect, Vec3 tint) {
    const Matrix transform = vant::multiply(frameMatrix, M);
    glUniformMatrix4fv(artTransformLocation, 1, GL_FALSE, transform.data());
    glUniform4f(artUvRectLocation, uvRect[0], uvRect[1], uvRect[2], uvRect[3]);
    glUniform3f(artTintLocation, tint.x, tint.y, tint.z);
    glDrawArrays(GL_TRIANGLES, 0, 6);
}

void Renderer::endArt() {
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);
}

}  // namespace bastion
