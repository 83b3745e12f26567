#include "io/png_decode.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vorbix {

namespace {

// Everything the decode changes lives here, behind a pointer that stays put, so that nothing
// the error jump skips over is left half-made.
struct PngDecode {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    std::string error;
    Picture picture;
    std::vector<png_bytep> rows;
    bool pixelsRead = false;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
    auto* decode = static_cast<PngDecode*>(png_get_io_ptr(png));
    if (count > decode->bytes.size() - decode->at) png_error(png, "the file ends before its picture does");
    std::memcpy(out, decode->bytes.data() + decode->at, count);
    decode->at += count;
}

void OnError(png_structp png, png_const_charp message) {
    static_cast<PngDecode*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

// Warnings are about chunks the picture does without (a bad checksum in a text chunk, an odd
// colour profile); they must not reach the terminal.
void OnWarning(png_structp, png_const_charp) {}

std::string TooLarge(std::int64_t width, std::int64_t height, std::int64_t maxPixels) {
    return "picture too large: " + std::to_string(width) + " × " + std::to_string(height) + " (at most " +
           std::to_string(maxPixels) + " pixels)";
}

}  // namespace

bool LooksLikePng(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

Result<Picture> DecodePng(std::span<const std::uint8_t> bytes, std::int64_t maxPixels) {
    const auto decode = std::make_unique<PngDecode>();
    decode->bytes = bytes;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, decode.get(), OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Error{"", 0, "not enough memory to decode the PNG file"};
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        // Damage after the last pixel, such as a missing end chunk, leaves the picture whole.
        if (decode->pixelsRead) return std::move(decode->picture);
        return Error{"", 0, "damaged PNG file: " + decode->error};
    }
    png_set_read_fn(png, decode.get(), ReadBytes);
    png_read_info(png, info);
    const std::int64_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (width * height > maxPixels) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Error{"", 0, TooLarge(width, height, maxPixels)};
    }
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
    png_set_scale_16(png);
    png_set_strip_alpha(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    decode->picture = Picture(static_cast<int>(width), static_cast<int>(height));
    decode->rows.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) decode->rows[y] = decode->picture.Row(y);
    png_read_image(png, decode->rows.data());
    decode->pixelsRead = true;
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return std::move(decode->picture);
}

}  // namespace vorbix
