// TGA and JPEG encoding of images.
#include "tools/mkarchive/ImageCodec.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace mkarchive {

Bytes encodeTga(const Image& image, bool withAlpha)
{
    const int32_t w = image.width();
    const int32_t h = image.height();
    const int32_t bpp = withAlpha ? 4 : 3;
    const uint8_t header[18] = {
        0,                                   // ID length
        0,                                   // no colour map
        2,                                   // uncompressed true colour
        0, 0, 0, 0, 0,                       // colour-map fields (unused)
        0, 0, 0, 0,                          // x and y origin
        uint8_t(w & 255), uint8_t(w >> 8),   // width
        uint8_t(h & 255), uint8_t(h >> 8),   // height
        uint8_t(bpp * 8),                    // bits per pixel
        uint8_t(withAlpha ? 8 : 0),          // alpha bits; origin bottom-left
    };
    Bytes out(18 + size_t(w) * size_t(h) * size_t(bpp));
    for (size_t i = 0; i < 18; ++i)
        out[i] = header[i];
    size_t at = 18;
    for (int32_t y = h - 1; y >= 0; --y) {
        for (int32_t x = 0; x < w; ++x) {
            Rgba p = image.at(x, y);
            out[at++] = p.b;
            out[at++] = p.g;
            out[at++] = p.r;
            if (withAlpha)
                out[at++] = p.a;
        }
    }
    return out;
}

namespace {

// Our own images never make libjpeg fail; if it does, it is a bug of the
// generator, and the build stops with the library's message.
void jpegFatal(j_common_ptr cinfo)
{
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    std::fprintf(stderr, "mkarchive: JPEG encoder: %s\n", message);
    std::exit(1);
}

} // namespace

Bytes encodeJpeg(const Image& image, int quality)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = jpegFatal;
    jpeg_create_compress(&cinfo);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);

    std::vector<JSAMPLE> row(size_t(image.width()) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        int32_t y = int32_t(cinfo.next_scanline);
        for (int32_t x = 0; x < image.width(); ++x) {
            Rgba p = image.at(x, y);
            row[size_t(x) * 3 + 0] = p.r;
            row[size_t(x) * 3 + 1] = p.g;
            row[size_t(x) * 3 + 2] = p.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Image decodeJpeg(const Bytes& bytes)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = jpegFatal;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    Image out(int32_t(cinfo.output_width), int32_t(cinfo.output_height));
    std::vector<JSAMPLE> row(size_t(cinfo.output_width) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int32_t y = int32_t(cinfo.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        for (int32_t x = 0; x < out.width(); ++x)
            out.set(x, y, Rgba{row[size_t(x) * 3], row[size_t(x) * 3 + 1], row[size_t(x) * 3 + 2], 255});
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

} // namespace mkarchive
