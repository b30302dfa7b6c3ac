#include "editor/PictureDecoders.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace PictureDecoders
{
namespace
{
// Decoded pixels, four bytes each in the order red, green, blue, alpha.
struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<juce::uint8> rgba;
};

juce::Image toImage(const Pixels& pixels)
{
    juce::Image image(juce::Image::ARGB, pixels.width, pixels.height, false, juce::SoftwareImageType());
    const juce::Image::BitmapData bitmap(image, juce::Image::BitmapData::writeOnly);
    const juce::uint8* source = pixels.rgba.data();
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x, source += 4)
        {
            auto* pixel = reinterpret_cast<juce::PixelARGB*>(bitmap.getPixelPointer(x, y));
            pixel->setARGB(source[3], source[0], source[1], source[2]);
            pixel->premultiply();
        }
    return image;
}

bool fits(juce::int64 width, juce::int64 height, int maximumSide, juce::int64 maximumPixels)
{
    return width > 0 && height > 0 && width <= maximumSide && height <= maximumSide && width * height <= maximumPixels;
}

struct PngSource
{
    const juce::uint8* data;
    size_t size;
    size_t position = 0;
};

void readPngBytes(png_structp png, png_bytep destination, png_size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->position)
        png_error(png, "file ends early");
    std::memcpy(destination, source->data + source->position, count);
    source->position += count;
}

void pngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

// Everything the PNG decoding changes after its jump point lives here, behind
// a pointer that itself never changes.
struct PngJob
{
    PngSource source;
    Pixels pixels;
    std::vector<png_bytep> rows;
    png_structp png = nullptr;
    png_infop info = nullptr;
};

bool runPng(PngJob& job, int maximumSide, juce::int64 maximumPixels)
{
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_set_read_fn(job.png, &job.source, readPngBytes);
    png_set_user_limits(job.png, static_cast<png_uint_32>(maximumSide), static_cast<png_uint_32>(maximumSide));
    png_read_info(job.png, job.info);
    const png_uint_32 width = png_get_image_width(job.png, job.info);
    const png_uint_32 height = png_get_image_height(job.png, job.info);
    if (! fits(width, height, maximumSide, maximumPixels))
        return false;
    const int colourType = png_get_color_type(job.png, job.info);
    png_set_expand(job.png);
    png_set_strip_16(job.png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(job.png);
    png_set_filler(job.png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(job.png);
    png_read_update_info(job.png, job.info);
    if (png_get_rowbytes(job.png, job.info) != static_cast<size_t>(width) * 4)
        return false;
    job.pixels.width = static_cast<int>(width);
    job.pixels.height = static_cast<int>(height);
    job.pixels.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    job.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        job.rows[y] = job.pixels.rgba.data() + static_cast<size_t>(y) * width * 4;
    png_read_image(job.png, job.rows.data());
    return true;
}

struct JpegFailure
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegFailed(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1); }
void jpegMessage(j_common_ptr, int) {}
void jpegOutput(j_common_ptr) {}

struct JpegJob
{
    jpeg_decompress_struct info {};
    JpegFailure failure {};
    Pixels pixels;
    std::vector<juce::uint8> row;
};

bool runJpeg(JpegJob& job, const juce::uint8* data, size_t size, int maximumSide, juce::int64 maximumPixels)
{
    if (setjmp(job.failure.jump))
        return false;
    jpeg_mem_src(&job.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&job.info, TRUE) != JPEG_HEADER_OK)
        return false;
    if (! fits(job.info.image_width, job.info.image_height, maximumSide, maximumPixels))
        return false;
    job.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&job.info);
    const juce::int64 width = job.info.output_width;
    const juce::int64 height = job.info.output_height;
    if (! fits(width, height, maximumSide, maximumPixels) || job.info.output_components != 3)
        return false;
    job.pixels.width = static_cast<int>(width);
    job.pixels.height = static_cast<int>(height);
    job.pixels.rgba.assign(static_cast<size_t>(width * height * 4), 0xff);
    job.row.resize(static_cast<size_t>(width) * 3);
    while (job.info.output_scanline < job.info.output_height)
    {
        const size_t y = job.info.output_scanline;
        JSAMPROW rowPointer = job.row.data();
        if (jpeg_read_scanlines(&job.info, &rowPointer, 1) != 1)
            return false;
        juce::uint8* destination = job.pixels.rgba.data() + y * static_cast<size_t>(width) * 4;
        for (juce::int64 x = 0; x < width; ++x)
            std::memcpy(destination + x * 4, job.row.data() + x * 3, 3);
    }
    jpeg_finish_decompress(&job.info);
    return true;
}
} // namespace

juce::Image decodePng(const juce::uint8* data, size_t size, int maximumSide, juce::int64 maximumPixels)
{
    const auto job = std::make_unique<PngJob>();
    job->source = { data, size };
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarning);
    if (job->png == nullptr)
        return {};
    job->info = png_create_info_struct(job->png);
    const bool decoded = job->info != nullptr && runPng(*job, maximumSide, maximumPixels);
    png_destroy_read_struct(&job->png, job->info != nullptr ? &job->info : nullptr, nullptr);
    return decoded ? toImage(job->pixels) : juce::Image();
}

juce::Image decodeJpeg(const juce::uint8* data, size_t size, int maximumSide, juce::int64 maximumPixels)
{
    const auto job = std::make_unique<JpegJob>();
    job->info.err = jpeg_std_error(&job->failure.manager);
    job->failure.manager.error_exit = jpegFailed;
    job->failure.manager.emit_message = jpegMessage;
    job->failure.manager.output_message = jpegOutput;
    jpeg_create_decompress(&job->info);
    const bool decoded = runJpeg(*job, data, size, maximumSide, maximumPixels);
    jpeg_destroy_decompress(&job->info);
    return decoded ? toImage(job->pixels) : juce::Image();
}
} // namespace PictureDecoders
