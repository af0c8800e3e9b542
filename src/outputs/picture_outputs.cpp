#include "outputs/output_table.h"
#include "render/image/bmp_write.h"
#include "render/image/png_write.h"

namespace velmora {

namespace {

// The editor's Export compresses at zlib's highest level (the default);
// training sets of thousands of pictures may trade size for time.
Status ReadPngLevel(const std::string& text, OutputOptions& o)
{
    if (text.size() != 1 || text[0] < '1' || text[0] > '9')
        return Fail("needs a whole number from 1 to 9, not \"" + text + "\"");
    o.pngLevel = text[0] - '0';
    return {};
}

Status WritePng(const OutputContext& c)
{
    const Result<std::string> bytes = EncodePng(c.picture, c.encodeThreads, nullptr, c.choices.options.pngLevel);
    if (!bytes)
        return Fail(bytes.error());
    return c.Write(".png", *bytes);
}

Status WriteBmp(const OutputContext& c)
{
    const Result<std::string> bytes = EncodeBmp(c.picture);
    if (!bytes)
        return Fail(bytes.error());
    return c.Write(".bmp", *bytes);
}

constexpr OutputOption kPngOptions[] = {
    {"png-level", "PNG level", "L",
     "zlib level of NAME.png, 1 (fastest) to 9 (smallest: the default, as the\neditor's Export)",
     ReadPngLevel},
};

} // namespace

extern const OutputEntry kPngOutput = {"png",
                                       "Picture (PNG)",
                                       "NAME.png",
                                       "the canvas picture, as the editor's Export\n"
                                       "(a map's picture under the track found on it)",
                                       OutputPicture::Canvas,
                                       WritePng,
                                       "bmp",
                                       kPngOptions};
extern const OutputEntry kBmpOutput = {"bmp", "Picture (BMP)", "NAME.bmp",
                                       "the canvas picture as a 24-bit BMP (a map's\npicture under the track)",
                                       OutputPicture::Canvas, WriteBmp, "png"};

} // namespace velmora
