#include "shell/screenshot.h"

#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <GL/glew.h>

namespace bastion {

void writePpm(std::ostream& out, int width, int height, std::span<const std::uint8_t> bottomUpRgb) {
    out << "P6\n" << width << ' ' << height << "\n255\n";
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    for (int row = height - 1; row >= 0; --row) {
        const auto first = bottomUpRgb.subspan(static_cast<std::size_t>(row) * rowBytes, rowBytes);
        out.write(reinterpret_cast<const char*>(first.data()), static_cast<std::streamsize>(first.size()));
    }
}

void writePpmFile(const std::filesystem::path& path, int width, int height,
                  std::span<const std::uint8_t> bottomUpRgb) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("Cannot write screenshot");
    writePpm(file, width, height, bottomUpRgb);
    file.close();
    if (!file) {
        // A truncated picture must not pass for a screenshot. Only a regular
        // file is ours to remove: a path naming a device stays untouched.
        std::error_code ignored;
        if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
        throw std::runtime_error("Cannot write screenshot");
    }
}

void saveScreenshot(const std::filesystem::path& path, int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    writePpmFile(path, width, height, pixels);
}

}  // namespace bastion
