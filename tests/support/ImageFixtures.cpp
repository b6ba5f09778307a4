// Encoders for the loader tests' image files.
#include "tests/support/ImageFixtures.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

void put16(Bytes& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void pngWrite(png_structp png, png_bytep data, size_t length)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void pngFlush(png_structp)
{
}

int channelsOf(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

// Encoding the fixtures must work; a failure is a broken test, not a result.
[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "ImageFixtures: %s\n", what);
    std::abort();
}

} // namespace

Bytes ImageFixtures::tgaHeader(uint8_t imageType, uint16_t width, uint16_t height, uint8_t bitsPerPixel,
                               uint8_t descriptor, uint8_t idLength, uint8_t colourMapType, uint16_t colourMapLength,
                               uint8_t colourMapEntryBits)
{
    Bytes h;
    h.push_back(idLength);
    h.push_back(colourMapType);
    h.push_back(imageType);
    put16(h, 0); // first colour-map index
    put16(h, colourMapLength);
    h.push_back(colourMapEntryBits);
    put16(h, 0); // x origin
    put16(h, 0); // y origin
    put16(h, width);
    put16(h, height);
    h.push_back(bitsPerPixel);
    h.push_back(descriptor);
    return h;
}

Bytes ImageFixtures::png(int32_t width, int32_t height, const Bytes& pixels, const PngOptions& options)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info)
        fixtureFailed("png_create_write_struct");
    if (setjmp(png_jmpbuf(png)))
        fixtureFailed("libpng error while writing");
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    // Some fixtures hold palette indices beyond the palette on purpose.
    png_set_check_for_invalid_index(png, 1);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), options.bitDepth,
                 options.colourType, options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < options.palette.size(); i += 3)
        palette.push_back(png_color{options.palette[i], options.palette[i + 1], options.palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!options.paletteAlpha.empty())
        png_set_tRNS(png, info, options.paletteAlpha.data(), static_cast<int>(options.paletteAlpha.size()), nullptr);
    if (!options.transparentColour.empty()) {
        const std::vector<uint16_t>& c = options.transparentColour;
        png_color_16 colour{};
        colour.gray = c[0];
        if (c.size() >= 3) {
            colour.red = c[0];
            colour.green = c[1];
            colour.blue = c[2];
        }
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_text text;
    if (options.text) {
        std::memset(&text, 0, sizeof(text));
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = const_cast<char*>("Comment");
        text.text = const_cast<char*>(options.text);
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    const size_t rowBytes =
        (static_cast<size_t>(width) * channelsOf(options.colourType) * static_cast<size_t>(options.bitDepth) + 7) / 8;
    if (pixels.size() < rowBytes * static_cast<size_t>(height))
        fixtureFailed("too few pixels for the PNG");
    for (int pass = 0; pass < passes; ++pass) {
        for (int32_t y = 0; y < height; ++y)
            png_write_row(png, pixels.data() + static_cast<size_t>(y) * rowBytes);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes ImageFixtures::jpeg(int32_t width, int32_t height, const Bytes& pixels, int colourSpace, int quality,
                          JpegScans scans, int restartRows)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.in_color_space = static_cast<J_COLOR_SPACE>(colourSpace);
    cinfo.input_components = colourSpace == JCS_GRAYSCALE ? 1 : colourSpace == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_scan_info perComponent[MAX_COMPONENTS];
    if (scans == JPEG_PROGRESSIVE) {
        jpeg_simple_progression(&cinfo);
    } else if (scans == JPEG_SCAN_PER_COMPONENT) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            perComponent[c] = jpeg_scan_info{};
            perComponent[c].comps_in_scan = 1;
            perComponent[c].component_index[0] = c;
            perComponent[c].Se = DCTSIZE2 - 1;
        }
        cinfo.scan_info = perComponent;
        cinfo.num_scans = cinfo.num_components;
    }
    cinfo.restart_in_rows = restartRows;
    const size_t rowBytes = static_cast<size_t>(width) * cinfo.input_components;
    if (pixels.size() < rowBytes * static_cast<size_t>(height))
        fixtureFailed("too few pixels for the JPEG");
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Bytes ImageFixtures::fill(int32_t width, int32_t height, const Bytes& pixel)
{
    Bytes out;
    out.reserve(static_cast<size_t>(width) * height * pixel.size());
    for (int32_t i = 0; i < width * height; ++i)
        out.insert(out.end(), pixel.begin(), pixel.end());
    return out;
}

bool ImageFixtures::writeRgbPng(const std::string& path, int32_t width, int32_t height,
                                const std::function<uint32_t(int32_t x, int32_t y)>& pixelAt)
{
    std::vector<uint32_t> rgb;
    rgb.reserve(static_cast<size_t>(width > 0 ? width : 0) * static_cast<size_t>(height > 0 ? height : 0));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            rgb.push_back(pixelAt(x, y));
    }
    return writeRgbPng(path, width, height, rgb);
}

bool ImageFixtures::writeRgbPng(const std::string& path, int32_t width, int32_t height,
                                const std::vector<uint32_t>& rgb)
{
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    Bytes samples;
    samples.reserve(rgb.size() * 3);
    for (uint32_t p : rgb) {
        samples.push_back(static_cast<unsigned char>(p >> 16));
        samples.push_back(static_cast<unsigned char>(p >> 8));
        samples.push_back(static_cast<unsigned char>(p));
    }
    const Bytes file = png(width, height, samples, PngOptions());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool whole = !file.empty() && std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && whole;
}
