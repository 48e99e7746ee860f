#include "window_image.h"

#include <bit>
#include <fstream>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace bastion {
namespace {

// A channel of a pixel value under its visual's mask, as 0..255.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
    const unsigned long top = mask >> std::countr_zero(mask);
    return static_cast<std::uint8_t>(value * 255u / top);
}

}  // namespace

PpmImage windowImage(const std::string& display, const std::string& window) {
    PpmImage image;
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) return image;
    const Window shown = std::stoul(window);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(connection, shown, &attributes) != 0 && attributes.width > 0 && attributes.height > 0) {
        if (XImage* got = XGetImage(connection, shown, 0, 0, static_cast<unsigned>(attributes.width),
                                    static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap)) {
            image.width = attributes.width;
            image.height = attributes.height;
            image.rgb.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3u);
            for (int y = 0; y < image.height; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    const unsigned long pixel = XGetPixel(got, x, y);
                    image.rgb.push_back(channel(pixel, got->red_mask));
                    image.rgb.push_back(channel(pixel, got->green_mask));
                    image.rgb.push_back(channel(pixel, got->blue_mask));
                }
            }
            XDestroyImage(got);
        }
    }
    XCloseDisplay(connection);
    return image;
}

void savePpm(const PpmImage& image, const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
}

}  // namespace bastion
