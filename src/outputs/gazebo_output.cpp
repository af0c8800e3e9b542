#include "outputs/output_files.h"
#include "outputs/output_table.h"
#include "core/formats/number_text.h"
#include "core/gazebo/gazebo_model.h"
#include "render/gazebo/gazebo_world.h"
#include "render/image/png_write.h"

#include <QDir>
#include <QFile>

namespace velmora {

namespace {

// The ground's texture is read by the simulator, not kept: zlib's default
// level makes it quickly, at a size close to the best.
constexpr int kTextureLevel = 6;

// Far above any wall a simulated car meets; a number beyond it is a typing
// error, and would fill the model's files with its digits.
constexpr double kMaxWallHeight = 1000;

Status ReadWallHeight(const std::string& text, OutputOptions& o)
{
    if (!ReadPositive(text, o.wallHeight, kMaxWallHeight))
        return Fail("needs a number of metres greater than 0 and at most 1000, not \"" + text + "\"");
    return {};
}

// A model folder is written over only when it is one this tool wrote (or
// empty): anything else in its place is the user's.
bool OursOrFree(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists() || dir.isEmpty())
        return true;
    QFile config(dir.filePath("model.config"));
    return config.open(QIODevice::ReadOnly) && config.readAll().contains("<name>Velmora</name>");
}

// The model's folder, NAME_gazebo/ beside the other outputs.
QString ModelFolder(const OutputContext& c)
{
    return QDir(QFileInfo(c.Path("")).absolutePath())
        .filePath(QString::fromStdString(GazeboModelName(Utf8(c.names.name)) + "_gazebo"));
}

Status CheckGazebo(const OutputContext& c)
{
    if (Status one = c.OneLine(); !one)
        return Fail("could not make the Gazebo world: " + one.error());
    const QString model = ModelFolder(c);
    if (!OursOrFree(model))
        return Fail(Utf8(model) +
                    " is there and holds no model this program wrote; move it or " + kChooseAnotherFolder);
    return {};
}

// The model's files are made in a folder of their own that takes the old
// model's place whole, so that no file of an earlier model stays in it; the
// world beside it is staged as the other outputs' files are.
Status WriteFiles(const OutputContext& c, const GazeboWorld& world)
{
    const QString folder = QFileInfo(c.Path("")).absolutePath();
    const std::string inModel = world.name + "_gazebo/";
    Result<QString> model = c.staged.AddFolder(ModelFolder(c));
    if (!model)
        return Fail(model.error());
    for (const ModelFile& file : world.files) {
        if (file.path.rfind(inModel, 0) != 0) {
            if (Status s = c.staged.Add(QDir(folder).filePath(QString::fromStdString(file.path)), file.bytes); !s)
                return s;
            continue;
        }
        const QString path = QDir(*model).filePath(QString::fromStdString(file.path.substr(inModel.size())));
        if (Status made = MakeFolder(QFileInfo(path).absolutePath()); !made)
            return made;
        if (Status s = Write(path, file.bytes); !s)
            return s;
    }
    return {};
}

Status WriteGazebo(const OutputContext& c)
{
    GazeboInput in;
    in.name = Utf8(c.names.name);
    in.frame = c.frame;
    in.canvasWidth = c.ground.width();
    in.canvasHeight = c.ground.height();
    in.trackPath = c.model.TrackPath;
    in.trackWidth = c.settings.TrackWidth;
    in.wallHeight = c.choices.options.wallHeight;
    const Result<std::string> texture = EncodePng(c.ground, c.encodeThreads, nullptr, kTextureLevel);
    if (!texture)
        return Fail("could not make the Gazebo world: " + texture.error());
    in.texturePng = *texture;
    const Result<GazeboWorld> world = BuildGazeboWorld(in);
    if (!world)
        return Fail(world.error());
    if (Status s = WriteFiles(c, *world); !s)
        return s;
    c.notes.push_back(StartPoseText(world->start));
    return {};
}

constexpr OutputOption kGazeboOptions[] = {
    {"wall-height", "Wall height", "M", "height of the Gazebo world's walls in metres (default 0.3)", ReadWallHeight},
};

} // namespace

extern const OutputEntry kGazeboOutput = {
    "gazebo", "Gazebo world", "NAME_gazebo/, NAME_world.sdf",
    "a world for Gazebo Classic and\n"
    "Gazebo Sim: a model of the ground with the picture and walls along both edges,\n"
    "and a world that includes it; the ground shows the track alone, never a map's\n"
    "picture under it",
    OutputPicture::Ground, WriteGazebo, nullptr, kGazeboOptions, CheckGazebo};

} // namespace velmora
