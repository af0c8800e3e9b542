#include "export_tool/output_table.h"
#include "render/image/bmp_write.h"
#include "render/image/png_write.h"

namespace velmora {

namespace {

// The editor's Export compresses at zlib's highest level; training sets of
// thousands of pictures may trade size for time.
constexpr int kDefaultPngLevel = 9;

bool ReadLevel(const std::string& text, int& level)
{
    if (text.size() != 1 || text[0] < '1' || text[0] > '9')
        return false;
    level = text[0] - '0';
    return true;
}

Status ReadPngLevel(const std::string& text, ExportOptions& o)
{
    int level = 0;
    if (!ReadLevel(text, level))
        return Fail("--png-level needs a whole number from 1 to 9, not \"" + text + "\"");
    o.outputValues["png-level"] = text;
    return {};
}

Status WritePng(const OutputContext& c)
{
    const Result<std::string> bytes = EncodePng(c.picture, c.encodeThreads, nullptr, PngLevel(c.options));
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

constexpr ToolOption kPngOptions[] = {
    {"png-level", "L",
     "zlib level of NAME.png, 1 (fastest) to 9 (smallest: the default, as the\neditor's Export)",
     ReadPngLevel},
};

} // namespace

int PngLevel(const ExportOptions& o)
{
    int level = kDefaultPngLevel;
    ReadLevel(o.Value("png-level", ""), level);
    return level;
}

extern const OutputEntry kPngOutput = {
    "png", "NAME.png", "the canvas picture, as the editor's Export", true, WritePng, "bmp", kPngOptions};
extern const OutputEntry kBmpOutput = {"bmp", "NAME.bmp", "the canvas picture as a 24-bit BMP",
                                       true,  WriteBmp,   "png"};

} // namespace velmora
