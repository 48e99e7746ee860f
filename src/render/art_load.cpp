#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

#include <GL/glew.h>
#include <nlohmann/json.hpp>

#include "platform/regular_file.h"
#include "render/internal/gl_objects.h"
#include "render/renderer.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr std::int64_t kMaxArtSize = 4096;

// Under multisampling the texture coordinate is taken at the centroid of the
// covered samples: at the pixel centre, a partly covered pixel on a quad's
// edge would sample the atlas cell next to the image.
const char* const kArtVertex = R"(#version 330 core
layout(location = 0) in vec2 p;
uniform mat4 transform;
uniform vec4 uvRect;
centroid out vec2 uv;
out float eyeDepth;
void main() {
    gl_Position = transform * vec4(p, 0.0, 1.0);
    uv = uvRect.xy + p * uvRect.zw;
    eyeDepth = gl_Position.w;
}
)";

const char* const kArtFragment = R"(#version 330 core
centroid in vec2 uv;
in float eyeDepth;
uniform sampler2D image;
uniform vec3 tint;
uniform vec2 depthRange;
out vec4 colour;
void main() {
    if (depthRange.y > 0.0 && (eyeDepth < depthRange.x || eyeDepth >= depthRange.y)) discard;
    vec4 c = texture(image, uv);
    if (c.a < 0.1) discard;
    colour = vec4(c.rgb * tint, c.a);
}
)";

// The unit square as two triangles.
constexpr float kUnitQuad[12] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};

// A manifest width or height as a whole number of pixels: integers as they
// are, fractions truncated toward zero, booleans as 0 or 1. Values that no
// 32-bit integer holds come back as 0, so they fail the range check instead
// of wrapping round into it; other JSON types raise the library's type error.
std::int64_t artDimension(const json& value) {
    if (value.is_number_unsigned()) {
        const auto whole = value.get<std::uint64_t>();
        return whole > static_cast<std::uint64_t>(kMaxArtSize) ? 0 : static_cast<std::int64_t>(whole);
    }
    if (value.is_number_float()) {
        const double number = std::trunc(value.get<double>());
        return std::isfinite(number) && std::fabs(number) <= static_cast<double>(kMaxArtSize)
                   ? static_cast<std::int64_t>(number)
                   : 0;
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    return value.get<int>();
}

bool validDimension(std::int64_t size) { return size >= 1 && size <= kMaxArtSize; }

// The raw image of exactly `bytes` bytes, or nothing when the file is missing,
// not a plain file, or of another length.
bool readImage(const std::filesystem::path& file, std::uintmax_t bytes, std::vector<unsigned char>& pixels) {
    std::optional<platform::RegularFile> image = platform::RegularFile::open(file, bytes);
    if (!image || image->size() != bytes) return false;
    pixels.resize(bytes);
    const std::optional<std::size_t> got = image->read(pixels.data(), bytes);
    return got && *got == bytes;
}

GLuint uploadImage(const std::vector<unsigned char>& pixels, GLsizei width, GLsizei height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return texture;
}

void loadImages(const std::filesystem::path& folder, std::map<std::string, Renderer::Texture>& textures) {
    const json manifest = parseJsonFile(folder / "manifest.json", kDecodedDocumentLimit);
    std::vector<unsigned char> pixels;
    for (const json& entry : manifest.at("assets")) {
        const auto name = entry.at("name").get<std::string>();
        const auto rgba = entry.at("rgba").get<std::string>();
        if (std::filesystem::path(rgba).filename() != std::filesystem::path(rgba)) {
            throw std::runtime_error("Invalid art filename");
        }
        const std::int64_t width = artDimension(entry.at("width"));
        const std::int64_t height = artDimension(entry.at("height"));
        if (!validDimension(width) || !validDimension(height)) throw std::runtime_error("Invalid art dimensions");
        if (!readImage(folder / rgba, static_cast<std::uintmax_t>(width * height * 4), pixels)) {
            throw std::runtime_error("Missing/truncated original art: " + name);
        }
        const GLuint texture = uploadImage(pixels, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
        // The first image of a name stays: SB1 before SB2, earlier entries first.
        const bool added =
            textures.try_emplace(name, Renderer::Texture{texture, static_cast<std::int32_t>(width),
                                                         static_cast<std::int32_t>(height)})
                .second;
        if (!added) glDeleteTextures(1, &texture);
    }
}

std::vector<Renderer::Mission> loadBriefings(const std::filesystem::path& folder, std::size_t missionCount) {
    const json document = parseJsonFile(folder / "frontend.json", kDecodedDocumentLimit);
    const json& missions = document.at("missions");
    if (document.at("schema") != 1 || !missions.is_array() || missions.size() != missionCount) {
        throw std::runtime_error("Decode original briefings with tools/decode_frontend");
    }
    std::vector<Renderer::Mission> briefings(missionCount);
    for (std::size_t i = 0; i < missionCount; ++i) {
        const json& mission = missions[i];
        if (mission.at("id") != i + 1) throw std::runtime_error("Invalid mission order");
        briefings[i].title = mission.at("title").get<std::string>();
        for (const json& line : mission.at("lines")) briefings[i].lines.push_back(line.at("text").get<std::string>());
    }
    return briefings;
}

}  // namespace

void Renderer::loadArt(const std::filesystem::path& artFolder) {
    const std::filesystem::path folders[2] = {artFolder, artFolder.parent_path() / "sb2/art"};
    const std::size_t missionCounts[2] = {16, 20};
    for (int k = 0; k < 2; ++k) {
        if (!std::filesystem::exists(folders[k] / "manifest.json")) {
            if (k == 0) throw std::runtime_error("Missing original art manifest");
            break;  // The SB2 art is optional as a whole.
        }
        loadImages(folders[k], textures);
        briefings[k] = loadBriefings(folders[k], missionCounts[k]);
    }

    std::string log;
    const GLuint vertex = compileStage(GL_VERTEX_SHADER, kArtVertex, log);
    const GLuint fragment = vertex == 0 ? 0 : compileStage(GL_FRAGMENT_SHADER, kArtFragment, log);
    if (fragment == 0) {
        glDeleteShader(vertex);
        throw std::runtime_error("Art shader compilation failed");
    }
    artProgram = linkStages(vertex, fragment);
    if (artProgram == 0) throw std::runtime_error("Art shader link failed");
    artTransformLocation = glGetUniformLocation(artProgram, "transform");
    artUvRectLocation = glGetUniformLocation(artProgram, "uvRect");
    artTintLocation = glGetUniformLocation(artProgram, "tint");
    artDepthRangeLocation = glGetUniformLocation(artProgram, "depthRange");

    createStaticVertices(kUnitQuad, sizeof kUnitQuad, artVertexArray, artBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(float), nullptr);
}

}  // namespace bastion
