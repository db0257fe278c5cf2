// PNG encoding of a frame read back from GL, in memory.
#include "files/png.h"

#include <png.h>

// Encodes 8-bit RGB rows, bottom row first as GL reads them, as a PNG in memory.
std::vector<unsigned char> encodePng(int width, int height, const std::vector<unsigned char>& rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // A negative stride tells libpng that the first row in memory is the bottom one.
    const png_int_32 stride = -width * 3;
    png_alloc_size_t size = 0;
    std::vector<unsigned char> png;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), stride, nullptr) != 0) {
        png.resize(size);
        if (png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), stride, nullptr) ==
            0) {
            png.clear();
        }
    }
    return png;
}
