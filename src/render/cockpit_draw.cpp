#include <GL/glew.h>

#include "render/internal/cockpit_frame.h"
#include "render/internal/cockpit_readings.h"
#include "render/renderer.h"
#include "world/world.h"

namespace bastion {

void Renderer::drawCockpit(const World& world, const Matrix& camera, bool paused) {
    const Pilot& pilot = world.pilot;
    const Matrix M = cockpitFrame(pilot);
    if (pilot.missile.active || cockpitBodyVertices == 0) return;

    glUseProgram(cockpitProgram);
    glBindVertexArray(cockpitVertexArray);

    const Matrix transform = vant::multiply(frameMatrix, M);
    glUniformMatrix4fv(cockpitTransformLocation, 1, GL_FALSE, transform.data());
    // The viewer in cockpit space, for the highlights.
    const Matrix toCockpit = vant::rigidInverse(M);
    const Vec3 viewer{camera[12], camera[13], camera[14]};
    glUniform3f(cockpitEyeLocation,
                toCockpit[0] * viewer.x + toCockpit[4] * viewer.y + toCockpit[8] * viewer.z + toCockpit[12],
                toCockpit[1] * viewer.x + toCockpit[5] * viewer.y + toCockpit[9] * viewer.z + toCockpit[13],
                toCockpit[2] * viewer.x + toCockpit[6] * viewer.y + toCockpit[10] * viewer.z + toCockpit[14]);
    glDrawArrays(GL_TRIANGLES, 0, cockpitLowerVertices);

    const Matrix upper = vant::multiply(frameMatrix, upperGroupFrame(pilot, M));
    glUniformMatrix4fv(cockpitTransformLocation, 1, GL_FALSE, upper.data());
    glDrawArrays(GL_TRIANGLES, cockpitLowerVertices, cockpitBodyVertices - cockpitLowerVertices);

    glUniformMatrix4fv(cockpitTransformLocation, 1, GL_FALSE, transform.data());
    for (int lamp = 0; lamp < 5; ++lamp) {
        const std::array<float, 4> colour = cockpit::lampColour(pilot.health, lamp);
        glUniform4f(cockpitLampColorLocation, colour[0], colour[1], colour[2], colour[3]);
        const VertexRange& range = healthLamps[static_cast<std::size_t>(lamp)];
        glDrawArrays(GL_TRIANGLES, range.first, range.count);
    }
    // Models share this program and never set a lamp colour.
    glUniform4f(cockpitLampColorLocation, 0.0f, 0.0f, 0.0f, 0.0f);
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);

    instruments(world, M, paused);
}

}  // namespace bastion
