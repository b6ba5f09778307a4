// The JPEG reader over libjpeg (the 6b interface). The library's standard
// error exit ends the process, so the loader installs its own, which
// long-jumps back to the setjmp in decodeRows; so does a warning of damaged
// data, on which the library would go on and give its best guess as the
// picture. Everything that has to be freed afterwards lives in a JpegDecode
// record owned by the caller of decodeRows, never in decodeRows' own locals,
// whose values are not reliable after the jump.
#include "engine/media/HJPGLoader.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// Given to the decoder once the file's bytes are used up, so that a
// truncated file ends instead of being read past its end.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

struct JpegDecode {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errorManager;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    jmp_buf jump;
    HImage* image;
    const char* name;
    // Set once the file's bytes are used up and the end marker was supplied.
    bool ranOut;
    // Bit c set once component c has been in a scan.
    uint32_t scannedComponents;
};

JpegDecode* decodeOf(j_common_ptr cinfo)
{
    return static_cast<JpegDecode*>(cinfo->client_data);
}

void jpegErrorExit(j_common_ptr cinfo)
{
    JpegDecode* d = decodeOf(cinfo);
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    HErrorManager::s_db_alert("HJPGLoader::load - cannot decode '%s': %s", d->name, message);
    longjmp(d->jump, 1);
}

// Warnings that leave the picture as the file means it: bytes between
// segments, header fields of no consequence to the pixels. The end of the
// data (the source's own warning) is judged once decoding is over. Every
// other warning tells of damaged scan data or scan parameters.
bool isHarmless(int code)
{
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM ||
           code == JWRN_JPEG_EOF;
}

// Level -1 is a warning; trace messages (0 and up) are not shown. Harmless
// warnings go to the trace, the others end the load.
void jpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    JpegDecode* d = decodeOf(cinfo);
    ++cinfo->err->num_warnings;
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    if (isHarmless(cinfo->err->msg_code)) {
        HErrorManager::s_trace("HJPGLoader::load - '%s': %s\n", d->name, message);
        return;
    }
    HErrorManager::s_db_alert("HJPGLoader::load - '%s' is damaged: %s", d->name, message);
    longjmp(d->jump, 1);
}

// Called at least once during each scan: while the whole input is read
// before output (more than one scan), and for every output row.
void jpegProgress(j_common_ptr cinfo)
{
    JpegDecode* d = decodeOf(cinfo);
    if (d->cinfo.input_scan_number > HJPGLoader::kMaxScans) {
        HErrorManager::s_db_alert("HJPGLoader::load - '%s' has more than %d scans", d->name,
                                  static_cast<int>(HJPGLoader::kMaxScans));
        longjmp(d->jump, 1);
    }
    for (int i = 0; i < d->cinfo.comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i) {
        const jpeg_component_info* component = d->cinfo.cur_comp_info[i];
        if (component && component->component_index >= 0 && component->component_index < 32)
            d->scannedComponents |= 1u << component->component_index;
    }
}

// Whether every scan the picture needs was in the data, for a file whose
// data ran out (a scan cut short has already been refused by its warning).
// A progressive picture is whole when every coefficient of every component
// has been refined to its last bit; a sequential one when every component
// has been in a scan.
bool isWhole(const JpegDecode* d)
{
    const jpeg_decompress_struct& c = d->cinfo;
    if (c.progressive_mode) {
        if (!c.coef_bits)
            return false;
        for (int ci = 0; ci < c.num_components; ++ci) {
            for (int k = 0; k < DCTSIZE2; ++k) {
                if (c.coef_bits[ci][k] != 0)
                    return false;
            }
        }
        return true;
    }
    return c.num_components > 0 && c.num_components < 32 &&
           d->scannedComponents == (1u << c.num_components) - 1;
}

void jpegInitSource(j_decompress_ptr /*cinfo*/)
{
}

void jpegTermSource(j_decompress_ptr /*cinfo*/)
{
}

// The whole file was in the buffer from the start: asking for more means it
// has no end marker or is truncated, and the decoder gets an end marker
// instead (as often as it asks).
boolean jpegFillInputBuffer(j_decompress_ptr cinfo)
{
    JpegDecode* d = static_cast<JpegDecode*>(cinfo->client_data);
    if (!d->ranOut)
        WARNMS(cinfo, JWRN_JPEG_EOF);
    d->ranOut = true;
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = sizeof(kEndOfImage);
    return TRUE;
}

// A skip past the end of the data stops at the end.
void jpegSkipInputData(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0)
        return;
    if (static_cast<unsigned long>(count) >= src->bytes_in_buffer) {
        src->next_input_byte += src->bytes_in_buffer;
        src->bytes_in_buffer = 0;
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

// Decodes every row into d->image. A decoder error jumps out and gives false.
bool decodeRows(JpegDecode* d, const uint8_t* data, size_t size)
{
    if (setjmp(d->jump))
        return false;

    jpeg_create_decompress(&d->cinfo);
    d->source.next_input_byte = data;
    d->source.bytes_in_buffer = size;
    d->source.init_source = jpegInitSource;
    d->source.fill_input_buffer = jpegFillInputBuffer;
    d->source.skip_input_data = jpegSkipInputData;
    d->source.resync_to_restart = jpeg_resync_to_restart;
    d->source.term_source = jpegTermSource;
    d->cinfo.src = &d->source;
    d->progress.progress_monitor = jpegProgress;
    d->cinfo.progress = &d->progress;

    if (jpeg_read_header(&d->cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    const JDIMENSION width = d->cinfo.image_width;
    const JDIMENSION height = d->cinfo.image_height;
    if (width == 0 || height == 0 || width > static_cast<JDIMENSION>(HImageLoader::kMaxImageDimension) ||
        height > static_cast<JDIMENSION>(HImageLoader::kMaxImageDimension)) {
        HErrorManager::s_db_alert("HJPGLoader::load - unsupported size %ux%u in '%s'", static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), d->name);
        return false;
    }
    // Colour and greyscale files convert to RGB; the library refuses the
    // conversion of anything else through the error exit.
    d->cinfo.out_color_space = JCS_RGB;
    d->cinfo.scale_num = 1;
    d->cinfo.scale_denom = 1;
    jpeg_start_decompress(&d->cinfo);
    if (d->cinfo.output_components != 3 || d->cinfo.output_width != width || d->cinfo.output_height != height) {
        HErrorManager::s_db_alert("HJPGLoader::load - unexpected output format for '%s'", d->name);
        return false;
    }

    d->image = new HImage(static_cast<int32_t>(width), static_cast<int32_t>(height), HImage::FORMAT_32BIT);
    if (!d->image->getData()) {
        HErrorManager::s_db_alert("HJPGLoader::load - out of memory for '%s'", d->name);
        return false;
    }
    // The row buffer belongs to the decoder's image pool, which
    // jpeg_destroy_decompress frees on every path.
    JSAMPARRAY row = (*d->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d->cinfo), JPOOL_IMAGE,
                                                   width * 3, 1);
    while (d->cinfo.output_scanline < height) {
        const JDIMENSION y = d->cinfo.output_scanline;
        if (jpeg_read_scanlines(&d->cinfo, row, 1) != 1)
            return false;
        const JSAMPLE* in = row[0];
        uint8_t* out = d->image->getData() + static_cast<size_t>(y) * d->image->getRowStride();
        for (JDIMENSION x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
        }
    }
    // Every scan has been read by now (a file of one scan may still lack
    // its end marker). Asked before finishing, which frees the decoder's
    // record of the progression.
    const bool whole = isWhole(d);
    jpeg_finish_decompress(&d->cinfo);
    // Data that ends after the last scan lacks only its end marker. Scans
    // missing at the end leave a progressive picture coarse or a component
    // empty: that is not the picture, so it is not reported as loaded.
    if (d->ranOut && !whole) {
        HErrorManager::s_db_alert("HJPGLoader::load - '%s' is truncated", d->name);
        return false;
    }
    return true;
}

} // namespace

HJPGLoader::HJPGLoader() = default;

HJPGLoader::~HJPGLoader() = default;

bool HJPGLoader::loadFromMemory(const uint8_t* data, size_t size, const char* name)
{
    unload();
    if (!name)
        name = "";
    if (!data || size == 0) {
        HErrorManager::s_db_alert("HJPGLoader::load - '%s' is empty", name);
        return false;
    }
    // Plain data only, so value-initialising sets every field and callback
    // pointer to zero.
    JpegDecode d{};
    d.cinfo.err = jpeg_std_error(&d.errorManager);
    d.cinfo.client_data = &d;
    d.errorManager.error_exit = jpegErrorExit;
    d.errorManager.emit_message = jpegEmitMessage;
    d.image = nullptr;
    d.name = name;
    d.ranOut = false;
    d.scannedComponents = 0;

    const bool ok = decodeRows(&d, data, size);
    // Safe also when the error came from jpeg_create_decompress itself: the
    // record was zeroed, so there is nothing to free.
    jpeg_destroy_decompress(&d.cinfo);
    HImage* image = d.image;
    if (!ok) {
        delete image;
        return false;
    }
    m_pImage = image;
    HErrorManager::s_db_trace("...loaded '%s' %dx%dx%d\n", name, image->getWidth(), image->getHeight(), 32);
    return true;
}
