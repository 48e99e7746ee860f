#include <cstddef>
#include <iostream>
#include <stdexcept>

#include <GL/glew.h>

#include "render/internal/gl_objects.h"
#include "render/internal/gl_shader.h"
#include "render/renderer.h"

namespace bastion {
namespace {

const char* const kCockpitVertex = R"(#version 330 core
layout(location = 0) in vec3 p;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec3 color;
layout(location = 3) in float emission;
uniform mat4 transform;
out vec3 surfacePosition;
out vec3 surfaceNormal;
out vec3 surfaceColor;
out float surfaceEmission;
void main() {
    surfacePosition = p;
    surfaceNormal = normal;
    surfaceColor = color;
    surfaceEmission = emission;
    gl_Position = transform * vec4(p, 1.0);
}
)";

// Lit in cockpit space by a key and a fill light with a Blinn-Phong
// highlight; emission blends towards the unlit colour, and a lamp colour with
// alpha overrides everything. Back faces are lit with the flipped normal.
const char* const kCockpitFragment = R"(#version 330 core
in vec3 surfacePosition;
in vec3 surfaceNormal;
in vec3 surfaceColor;
in float surfaceEmission;
uniform vec3 eye;
uniform vec4 lampColor;
out vec4 fragment;
void main() {
    vec3 n = normalize(surfaceNormal);
    if (!gl_FrontFacing) n = -n;
    vec3 key = normalize(vec3(-0.3, 1.0, 0.6));
    vec3 fill = normalize(vec3(0.6, 0.1, -0.4));
    float diffuse = 0.24 + 0.65 * max(dot(n, key), 0.0) + 0.17 * max(dot(n, fill), 0.0);
    vec3 halfway = normalize(key + normalize(eye - surfacePosition));
    // The 38th power by squaring: 32 + 4 + 2.
    float h2 = max(dot(n, halfway), 0.0);
    h2 *= h2;
    float h4 = h2 * h2;
    float h8 = h4 * h4;
    float h32 = h8 * h8;
    h32 *= h32;
    float specular = 0.20 * h32 * h4 * h2;
    vec3 shaded;
    if (lampColor.a > 0.0) {
        shaded = lampColor.rgb;
    } else {
        vec3 lit = surfaceColor * diffuse + vec3(specular);
        shaded = lit * (1.0 - surfaceEmission) + surfaceColor * surfaceEmission;
    }
    fragment = vec4(pow(clamp(shaded, 0.0, 1.0), vec3(1.0 / 2.2)), 1.0);
}
)";

}  // namespace

void Renderer::loadCockpit(const std::filesystem::path& cockpitDirectory) {
    // Every file is checked before any GL object exists.
    const CockpitMesh mesh = readCockpitMesh(cockpitDirectory);
    const CockpitLayout layout = readCockpitLayout(cockpitDirectory);

    cockpitProgram = buildProgram(kCockpitVertex, kCockpitFragment, "Cockpit shader link failed");
    cockpitTransformLocation = glGetUniformLocation(cockpitProgram, "transform");
    cockpitEyeLocation = glGetUniformLocation(cockpitProgram, "eye");
    cockpitLampColorLocation = glGetUniformLocation(cockpitProgram, "lampColor");

    cockpitBodyVertices = mesh.bodyVertices;
    cockpitLowerVertices = mesh.lowerVertices;
    for (std::size_t i = 0; i < healthLamps.size(); ++i) healthLamps[i] = mesh.lamps[i];
    ammoReadouts = layout.ammo;
    overviewAnchor = layout.overview;
    radarAnchor = layout.radar;
    torsoAnchor = layout.torso;
    headingAnchor = layout.heading;

    createStaticVertices(mesh.vertices.data(), static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(float)),
                         cockpitVertexArray, cockpitBuffer);
    constexpr GLsizei stride = kCockpitVertexFloats * sizeof(float);
    const std::array<std::pair<GLint, std::size_t>, 4> attributes{{{3, 0}, {3, 3}, {3, 6}, {1, 9}}};
    for (GLuint location = 0; location < attributes.size(); ++location) {
        const auto [components, offset] = attributes[location];
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offset * sizeof(float)));
    }
    // The constructor's unit cube stays the default binding.
    glBindVertexArray(cubeVertexArray);

    std::cout << "Loaded Blender cockpit: " << mesh.fileVertices / 3 << " triangles, six live ammo readouts\n";
}

}  // namespace bastion
