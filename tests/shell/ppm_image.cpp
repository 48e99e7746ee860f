#include "ppm_image.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace bastion {

testing_support::Rgb PpmImage::at(testing_support::ViewPixel pixel) const {
    if (pixel.x < 0 || pixel.x >= width || pixel.y < 0 || pixel.y >= height) {
        throw std::out_of_range("pixel outside the screenshot");
    }
    const std::size_t offset =
        (static_cast<std::size_t>(height - 1 - pixel.y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(pixel.x)) *
        3u;
    return {rgb[offset], rgb[offset + 1], rgb[offset + 2]};
}

int PpmImage::count(int y0, int y1, int x0, int x1,
                    const std::function<bool(const testing_support::Rgb&)>& test) const {
    int found = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) found += test(at({x, y})) ? 1 : 0;
    }
    return found;
}

PpmImage readPpm(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::istringstream header(bytes);
    std::string magic;
    int maximum = 0;
    PpmImage image;
    header >> magic >> image.width >> image.height >> maximum;
    if (!header || magic != "P6" || maximum != 255 || image.width <= 0 || image.height <= 0) {
        throw std::runtime_error("not a binary 8-bit PPM: " + path.string());
    }
    const auto start = static_cast<std::size_t>(header.tellg()) + 1;  // one whitespace after the maximum
    const std::size_t size = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3u;
    if (bytes.size() != start + size) throw std::runtime_error("PPM size does not match its header: " + path.string());
    image.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
    return image;
}

}  // namespace bastion
