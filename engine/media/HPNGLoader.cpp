// The PNG reader over libpng: 8-bit palette, RGB and RGBA images, not
// interlaced, with the transparency of a tRNS chunk as the alpha channel.
// libpng reports fatal errors by calling the error handler, which must not
// return: it long-jumps back to the setjmp in decodeRows. Everything that has to be freed afterwards lives in a PngDecode
// record owned by the caller of decodeRows, never in decodeRows' own locals,
// whose values are not reliable after the jump.
#include "engine/media/HPNGLoader.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HImage.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

namespace {

constexpr size_t kSignatureSize = 8;

// The memory source: libpng reaches it through png_get_io_ptr.
struct PngCursor {
    const uint8_t* data;
    size_t size;
    size_t position;
};

struct PngDecode {
    png_structp png;
    png_infop info;
    PngCursor cursor;
    HImage* image;
    uint8_t* row;
    const char* name;
    // libpng warned about the tRNS chunk and set it aside.
    bool transparencyDropped;
};

void pngError(png_structp png, png_const_charp message)
{
    HErrorManager::s_alert("lpng122 encountered fatal error '%s'", message ? message : "");
    png_longjmp(png, 1);
}

// libpng names the chunk at the start of a chunk's warning ("tRNS: CRC
// error", "tRNS: invalid"), and of the warning on samples beyond the bit
// depth ("tRNS chunk has out-of-range samples ...").
void pngWarning(png_structp png, png_const_charp message)
{
    if (message && std::strncmp(message, "tRNS", 4) == 0)
        static_cast<PngDecode*>(png_get_error_ptr(png))->transparencyDropped = true;
    HErrorManager::s_trace("lpng122 encountered warning '%s'\n", message ? message : "");
}

void pngReadFromMemory(png_structp png, png_bytep out, size_t count)
{
    PngCursor* cursor = static_cast<PngCursor*>(png_get_io_ptr(png));
    if (count > cursor->size - cursor->position)
        png_error(png, "read past the end of the data");
    std::memcpy(out, cursor->data + cursor->position, count);
    cursor->position += count;
}

// Reads the header and every row into d->image. False on a kind of file this
// loader does not convert; a libpng error jumps out of it and also gives false.
bool decodeRows(PngDecode* d)
{
    if (setjmp(png_jmpbuf(d->png)))
        return false;

    png_set_read_fn(d->png, &d->cursor, pngReadFromMemory);
    png_set_user_limits(d->png, HImageLoader::kMaxImageDimension, HImageLoader::kMaxImageDimension);
    // Of the ancillary chunks only tRNS changes the pixels this loader
    // produces, and libpng reads it whatever is asked here; all the others
    // are skipped unread: libpng would otherwise allocate and clear a buffer
    // of whatever length a damaged text chunk claims before finding the data
    // is not there.
    png_set_keep_unknown_chunks(d->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(d->png, d->info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    png_get_IHDR(d->png, d->info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);

    if (bitDepth != 8 ||
        (colourType != PNG_COLOR_TYPE_PALETTE && colourType != PNG_COLOR_TYPE_RGB &&
         colourType != PNG_COLOR_TYPE_RGB_ALPHA)) {
        HErrorManager::s_db_alert("File '%s' has unknown colorType %d with iBPP = %d", d->name, colourType,
                                  bitDepth);
        return false;
    }
    // Rows of later passes would land on top of earlier ones: refused rather
    // than shown scrambled.
    if (interlace != PNG_INTERLACE_NONE) {
        HErrorManager::s_db_alert("HPNGLoader::load - interlaced file '%s' is not supported", d->name);
        return false;
    }
    if (width == 0 || height == 0 || width > static_cast<png_uint_32>(HImageLoader::kMaxImageDimension) ||
        height > static_cast<png_uint_32>(HImageLoader::kMaxImageDimension)) {
        HErrorManager::s_db_alert("HPNGLoader::load - unsupported size %ux%u in '%s'", static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), d->name);
        return false;
    }

    png_colorp palette = nullptr;
    int paletteSize = 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE &&
        (png_get_PLTE(d->png, d->info, &palette, &paletteSize) == 0 || !palette || paletteSize <= 0)) {
        HErrorManager::s_db_alert("HPNGLoader::load - palette missing in '%s'", d->name);
        return false;
    }

    // Alpha of each palette entry (entries past the chunk are opaque), or
    // the one RGB colour that is fully transparent.
    uint8_t paletteAlpha[PNG_MAX_PALETTE_LENGTH];
    std::memset(paletteAlpha, 255, sizeof(paletteAlpha));
    bool keyed = false;
    uint8_t key[3] = {0, 0, 0};
    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_color_16p transColour = nullptr;
    const bool hasTransparency = png_get_tRNS(d->png, d->info, &transAlpha, &transCount, &transColour) != 0;
    if (colourType != PNG_COLOR_TYPE_RGB_ALPHA && d->transparencyDropped) {
        HErrorManager::s_db_alert("HPNGLoader::load - transparency of '%s' cannot be applied", d->name);
        return false;
    }
    if (hasTransparency && colourType == PNG_COLOR_TYPE_PALETTE && transAlpha) {
        for (int i = 0; i < transCount && i < PNG_MAX_PALETTE_LENGTH; ++i)
            paletteAlpha[i] = transAlpha[i];
    } else if (hasTransparency && colourType == PNG_COLOR_TYPE_RGB && transColour) {
        keyed = true;
        key[0] = static_cast<uint8_t>(transColour->red);
        key[1] = static_cast<uint8_t>(transColour->green);
        key[2] = static_cast<uint8_t>(transColour->blue);
    }

    png_read_update_info(d->png, d->info);
    const size_t channels = colourType == PNG_COLOR_TYPE_PALETTE ? 1 : colourType == PNG_COLOR_TYPE_RGB ? 3 : 4;
    const size_t rowBytes = png_get_rowbytes(d->png, d->info);
    if (rowBytes != channels * width) {
        HErrorManager::s_db_alert("HPNGLoader::load - unexpected row size in '%s'", d->name);
        return false;
    }
    d->row = new (std::nothrow) uint8_t[rowBytes];
    d->image = new HImage(static_cast<int32_t>(width), static_cast<int32_t>(height), HImage::FORMAT_32BIT);
    if (!d->row || !d->image->getData()) {
        HErrorManager::s_db_alert("HPNGLoader::load - out of memory for '%s'", d->name);
        return false;
    }

    const uint8_t* row = d->row;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(d->png, d->row, nullptr);
        uint8_t* out = d->image->getData() + static_cast<size_t>(y) * d->image->getRowStride();
        for (png_uint_32 x = 0; x < width; ++x, out += 4) {
            if (colourType == PNG_COLOR_TYPE_PALETTE) {
                const int index = row[x];
                if (index >= paletteSize) {
                    HErrorManager::s_db_alert("HPNGLoader::load - palette index %d out of range in '%s'", index,
                                              d->name);
                    return false;
                }
                out[0] = palette[index].blue;
                out[1] = palette[index].green;
                out[2] = palette[index].red;
                out[3] = paletteAlpha[index];
            } else {
                const uint8_t* in = row + x * channels;
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                if (channels == 4)
                    out[3] = in[3];
                else
                    out[3] = keyed && in[0] == key[0] && in[1] == key[1] && in[2] == key[2] ? 0 : 255;
            }
        }
    }
    return true;
}

} // namespace

HPNGLoader::HPNGLoader() = default;

HPNGLoader::~HPNGLoader() = default;

bool HPNGLoader::loadFromMemory(const uint8_t* data, size_t size, const char* name)
{
    unload();
    if (!name)
        name = "";
    if (!data || size < kSignatureSize || png_sig_cmp(data, 0, kSignatureSize) != 0) {
        HErrorManager::s_db_alert("HPNGLoader::load - invalid PNG file '%s'", name);
        return false;
    }

    PngDecode d;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, pngError, pngWarning);
    d.info = d.png ? png_create_info_struct(d.png) : nullptr;
    d.cursor = PngCursor{data, size, 0};
    d.image = nullptr;
    d.row = nullptr;
    d.name = name;
    d.transparencyDropped = false;
    if (!d.png || !d.info) {
        png_destroy_read_struct(d.png ? &d.png : nullptr, nullptr, nullptr);
        HErrorManager::s_db_alert("HPNGLoader::load - out of memory for '%s'", name);
        return false;
    }

    const bool ok = decodeRows(&d);
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    delete[] d.row;
    if (!ok) {
        delete d.image;
        return false;
    }
    m_pImage = d.image;
    return true;
}
