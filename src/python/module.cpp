// The Python module velmora: the tool's inputs, outputs and options as
// functions and arrays. Every value comes from the code that writes the
// tool's files; this file only turns Python's arguments into the tool's and
// the answers into Python objects. The interpreter's lock is released
// while the C++ works, so that Python threads can work on tracks at once.
#include "outputs/output_table.h"
#include "python/gui_app.h"
#include "python/module_track.h"
#include "python/program_folder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

namespace py = pybind11;

namespace velmora {

namespace {

PyObject* trackError = nullptr; // velmora.TrackError, made when the module is

// The warnings of a call, each as a Python warning in the caller's code.
void Warn(const Warnings& warnings)
{
    for (const std::string& w : warnings)
        if (PyErr_WarnEx(PyExc_UserWarning, w.c_str(), 2) != 0)
            throw py::error_already_set(); // the filters made it an error
}

template <typename T> T Take(Answer<T>&& a)
{
    Warn(a.warnings);
    if (a.ok())
        return std::move(*a.value);
    if (a.error.usage)
        throw py::value_error(a.error.message);
    PyErr_SetString(trackError, a.error.message.c_str());
    throw py::error_already_set();
}

// Runs `work` with the interpreter's lock released.
template <typename Work> auto Released(Work&& work)
{
    py::gil_scoped_release release;
    return work();
}

// An option's value as the tool's command line would take it: text as it
// is, a path by its name, numbers as Python writes them, a pair or triple
// of numbers joined with commas ("X,Y").
std::string ValueText(const py::handle& v)
{
    if (py::isinstance<py::str>(v))
        return v.cast<std::string>();
    if (py::hasattr(v, "__fspath__"))
        return py::str(v.attr("__fspath__")()).cast<std::string>();
    if (py::isinstance<py::sequence>(v)) {
        std::string text;
        for (const py::handle item : v)
            text += (text.empty() ? "" : ",") + ValueText(item);
        return text;
    }
    return py::str(v).cast<std::string>();
}

std::string ToolName(std::string name)
{
    std::replace(name.begin(), name.end(), '_', '-');
    return name;
}

// Keyword options as the tool's arguments: scale=0.1 is --scale=0.1,
// fit=True the switch --fit; None and False give nothing.
std::vector<std::string> OptionArgs(const py::kwargs& options)
{
    std::vector<std::string> args;
    for (const auto& [key, value] : options) {
        const std::string name = "--" + ToolName(key.cast<std::string>());
        if (value.is_none() || (PyBool_Check(value.ptr()) && !value.cast<bool>()))
            continue;
        args.push_back(PyBool_Check(value.ptr()) ? name : name + "=" + ValueText(value));
    }
    return args;
}

void NeedGui()
{
    if (!EnsureGuiApplication())
        throw py::value_error(
            "velmora draws with a QGuiApplication, and this process has a QCoreApplication");
}

py::object Namedtuple(const char* name, const char* fields, const char* doc)
{
    py::object type = py::module_::import("collections").attr("namedtuple")(name, fields);
    type.attr("__doc__") = doc;
    type.attr("__module__") = "velmora";
    return type;
}

// Made once with the module and kept for the process's life: a py::object
// destroyed at exit would outlive the interpreter.
py::handle frameType, occupancyType, racelineType;

template <typename Row, std::size_t N>
py::array_t<double> Table(const std::vector<Row>& rows, const std::array<double Row::*, N>& columns)
{
    py::array_t<double> out({static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(N)});
    auto cells = out.template mutable_unchecked<2>();
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < N; ++j)
            cells(static_cast<py::ssize_t>(i), static_cast<py::ssize_t>(j)) = rows[i].*columns[j];
    return out;
}

// The bytes of a picture, row by row without the padding of its lines.
py::array_t<std::uint8_t> Pixels(const QImage& image, py::ssize_t channels)
{
    const py::ssize_t h = image.height(), w = image.width();
    std::vector<py::ssize_t> shape{h, w};
    if (channels > 1)
        shape.push_back(channels);
    py::array_t<std::uint8_t> out(shape);
    const auto line = static_cast<std::size_t>(w * channels);
    for (py::ssize_t y = 0; y < h; ++y)
        std::memcpy(out.mutable_data(y), image.constScanLine(static_cast<int>(y)), line);
    return out;
}

py::object FrameOf(const ModuleTrack& t)
{
    const WorldFrame& f = t.job.frame;
    return frameType(f.metresPerPixel, py::make_tuple(f.originX, f.originY));
}

ExportOptions Call(const ModuleTrack& t, const py::kwargs& options)
{
    return Take(CallOptions(t, OptionArgs(options)));
}

std::shared_ptr<ModuleTrack> Load(const py::object& path, const py::kwargs& options)
{
    const std::string file = ValueText(path);
    const std::vector<std::string> args = OptionArgs(options);
    NeedGui();
    const QString programs = ProgramFolder();
    return std::make_shared<ModuleTrack>(
        Take(Released([&] { return LoadModuleTrack(file, args, programs); })));
}

py::list Generate(std::uint64_t count, const py::object& seed, const py::object& jobs,
                  const py::kwargs& options)
{
    std::vector<std::string> args = OptionArgs(options);
    if (!seed.is_none())
        args.push_back("--seed=" + ValueText(seed));
    if (!jobs.is_none())
        args.push_back("--jobs=" + ValueText(jobs));
    NeedGui();
    const QString programs = ProgramFolder();
    const std::vector<std::shared_ptr<ModuleTrack>> tracks =
        Take(Released([&] { return GenerateModuleTracks(count, args, programs); }));
    py::list out;
    for (const auto& track : tracks)
        out.append(track ? py::cast(track) : py::none());
    return out;
}

py::array_t<double> Centreline(const ModuleTrack& t, const py::kwargs& options)
{
    const ExportOptions o = Call(t, options);
    const auto rows = Take(Released([&] { return TrackCentreline(t, o); }));
    return Table(rows, std::array{&CentrelineRow::x, &CentrelineRow::y, &CentrelineRow::widthRight,
                                  &CentrelineRow::widthLeft});
}

py::array_t<double> Edges(const ModuleTrack& t, const py::kwargs& options)
{
    const ExportOptions o = Call(t, options);
    const auto rows = Take(Released([&] { return TrackWorldRows(t, o); }));
    return Table(rows, std::array{&WorldRow::xRight, &WorldRow::yRight, &WorldRow::xLeft, &WorldRow::yLeft});
}

py::object Occupancy(const ModuleTrack& t)
{
    const RosMap map = Take(Released([&] { return TrackOccupancy(t); }));
    return occupancyType(Pixels(map.cells, 1), map.resolution, py::make_tuple(map.originX, map.originY));
}

py::object RacelineOf(const ModuleTrack& t, const py::object& vehicle, py::kwargs options)
{
    if (!vehicle.is_none())
        options["vehicle"] = vehicle;
    const ExportOptions o = Call(t, options);
    const ModuleRaceline line = Take(Released([&] { return TrackRacelineRows(t, o); }));
    const auto rows =
        Table(line.rows, std::array{&RacelineRow::s, &RacelineRow::x, &RacelineRow::y, &RacelineRow::psi,
                                    &RacelineRow::kappa, &RacelineRow::vx, &RacelineRow::ax});
    return racelineType(rows, line.lapTime, line.vehicle);
}

py::array_t<std::uint8_t> Picture(const ModuleTrack& t)
{
    NeedGui();
    return Pixels(Take(Released([&] { return TrackPicture(t); })), 3);
}

std::string RLData(const ModuleTrack& t)
{
    return Take(Released([&] { return TrackRLText(t); }));
}

std::vector<std::string> WriteFiles(const ModuleTrack& t, const py::object& outDir, const py::object& outputs,
                                    const py::kwargs& options)
{
    std::vector<std::string> flags;
    if (py::isinstance<py::str>(outputs))
        flags.push_back(ToolName(outputs.cast<std::string>()));
    else
        for (const py::handle flag : outputs)
            flags.push_back(ToolName(py::str(flag).cast<std::string>()));
    const ExportOptions o = Take(WriteOptions(t, OptionArgs(options), flags));
    const std::string folder = ValueText(outDir);
    NeedGui();
    return Take(Released([&] { return WriteModuleTrack(t, o, folder); }));
}

py::dict OutputList()
{
    py::dict outputs;
    for (const OutputEntry* output : Outputs())
        outputs[py::str(output->flag)] = py::str(output->files);
    return outputs;
}

std::string Repr(const ModuleTrack& t)
{
    return "<velmora.Track " + t.name.toStdString() + ">";
}

// NumPy, else the system's: the setup installs Debian's python3-numpy for
// the system's Python, while another interpreter of the same version put
// first on the PATH (pyenv's) may have none of its own. The system's
// folder is on the path only for the import: NumPy's own modules are found
// through its package from then on, and nothing else of the system's
// shadows or joins what the interpreter has.
void ImportNumpy()
{
    try {
        py::module_::import("numpy");
        return;
    } catch (py::error_already_set&) {
    }
    constexpr char kSystemPackages[] = "/usr/lib/python3/dist-packages";
    py::list path = py::module_::import("sys").attr("path");
    const bool added = !path.contains(kSystemPackages);
    if (added)
        path.append(kSystemPackages);
    try {
        py::module_::import("numpy");
    } catch (py::error_already_set& e) {
        if (added)
            path.attr("remove")(kSystemPackages);
        py::raise_from(e, PyExc_ImportError,
                       "velmora needs NumPy for this Python (Debian: python3-numpy, with /usr/bin/python3)");
        throw py::error_already_set();
    }
    if (added)
        path.attr("remove")(kSystemPackages);
}

} // namespace

} // namespace velmora

using namespace velmora;

namespace {

// velmora.TrackError and the named tuples the calls answer with.
void AddTypes(py::module_& m)
{
    trackError = PyErr_NewExceptionWithDoc(
        "velmora.TrackError", "A track could not be read, made or written; the message is the tool's.",
        PyExc_RuntimeError, nullptr);
    m.add_object("TrackError", py::reinterpret_borrow<py::object>(trackError));

    frameType =
        Namedtuple("Frame", "resolution origin",
                   "Where a track's canvas lies in the world: resolution in metres per pixel, origin (x, y) "
                   "in metres of the canvas's top-left corner.")
            .release();
    occupancyType =
        Namedtuple("Occupancy", "grid resolution origin",
                   "The occupancy map: grid (H, W) uint8, the cells of NAME_map.png (row 0 at the top); "
                   "resolution in metres per cell; origin (x, y) in metres of the lower-left corner, as "
                   "NAME_map.yaml says.")
            .release();
    racelineType =
        Namedtuple("Raceline", "rows lap_time vehicle",
                   "The race line: rows (N, 7) float64 s, x, y, psi, kappa, vx, ax as NAME_raceline.csv "
                   "holds them (a loop ends with its first row again at s = the lap length); lap_time in "
                   "seconds; vehicle, the car it is for.")
            .release();
    m.add_object("Frame", py::reinterpret_borrow<py::object>(frameType));
    m.add_object("Occupancy", py::reinterpret_borrow<py::object>(occupancyType));
    m.add_object("Raceline", py::reinterpret_borrow<py::object>(racelineType));
}

void AddTrack(py::module_& m)
{
    py::class_<ModuleTrack, std::shared_ptr<ModuleTrack>>(
        m, "Track",
        "One track in memory, read by velmora.load or made by "
        "velmora.generate. Methods that take **options accept "
        "the outputs' own options (vehicle, heading_zero, png_level, "
        "wall_height) and spacing; the rest go to load/generate.")
        .def_property_readonly(
            "name", [](const ModuleTrack& t) { return t.name.toStdString(); },
            "The track's name: its file's name without the ending, or track_0001 ... for generated ones; "
            "the files write() makes are named after it.")
        .def_property_readonly("frame", &FrameOf,
                               "The track's world frame, a velmora.Frame(resolution, origin).")
        .def_property_readonly(
            "note", [](const ModuleTrack& t) { return t.job.note; },
            "How the source was read (scale, width), as velmora-export tells it; empty if nothing to tell.")
        .def("centreline", &Centreline,
             "centreline(**options) -> (N, 4) float64 array\n\n"
             "The centre line in metres: x, y, w_right, w_left per row, the values of NAME_centreline.csv "
             "(spacing=M metres between rows).")
        .def("edges", &Edges,
             "edges(**options) -> (N, 4) float64 array\n\n"
             "The surface's edges at the centre line's rows in metres: x_right, y_right, x_left, y_left, "
             "right "
             "and left of the direction of travel, the last columns of NAME_waypoints.csv.")
        .def("occupancy", &Occupancy,
             "occupancy() -> velmora.Occupancy(grid, resolution, origin)\n\n"
             "The occupancy grid of the ros-map output: (H, W) uint8 cells of NAME_map.png, metres per cell, "
             "and the origin of NAME_map.yaml.")
        .def(
            "raceline", &RacelineOf, py::arg("vehicle") = py::none(),
            "raceline(vehicle=None, **options) -> velmora.Raceline(rows, lap_time, vehicle)\n\n"
            "The minimum-curvature race line: rows (N, 7) s, x, y, psi, kappa, vx, ax as NAME_raceline.csv, "
            "and the lap time in seconds. vehicle: a shipped name (f1tenth, ...) or a vehicle file; None: "
            "the "
            "car the track's frame file names, else the first shipped one. heading_zero='north' measures psi "
            "from +y. Made afresh on every call.")
        .def("picture", &Picture,
             "picture() -> (H, W, 3) uint8 array\n\nThe canvas picture as the png output draws it, RGB: a "
             "map's picture under the track.")
        .def("rl_data", &RLData, "rl_data() -> str\n\nThe RL data, the text of NAME_rl.txt.")
        .def(
            "write", &WriteFiles, py::arg("out_dir"), py::arg("outputs"),
            "write(out_dir, outputs, **options) -> list of paths\n\n"
            "Writes the outputs named (['png', 'raceline', 'ros-map', ...]: velmora.outputs()) into out_dir, "
            "made if missing, as velmora-export --out-dir out_dir --OUTPUT ... does, byte for byte; all of "
            "them or none. Returns the paths of the files and folders written.")
        .def("__repr__", &Repr);
}

void AddFunctions(py::module_& m)
{
    m.def(
        "load", &Load, py::arg("path"),
        "load(path, **options) -> velmora.Track\n\n"
        "Reads a track file (.trk, with its NAME_frame.yaml), a circuit's centre line (.csv) or an occupancy "
        "map (.yaml) as velmora-export does. Options are the tool's: scale, origin=(x, y), fit, open, "
        "track_width ('8m', 40 or 'csv'), start=(x, y[, yaw]), reverse, min_obstacle, close_gaps, vehicle, "
        "prefs, images, template, ... Raises ValueError for a bad option, velmora.TrackError when the track "
        "cannot be read.");
    m.def("generate", &Generate, py::arg("count"), py::arg("seed") = py::none(), py::arg("jobs") = py::none(),
          "generate(count, seed=None, jobs=None, **options) -> list\n\n"
          "Makes `count` random closed tracks, the same as velmora-export --generate count --seed seed "
          "(seed None: the tool's default, 1), on `jobs` threads (None: one per core). Options: min_length, "
          "max_length, markers, prefs, ... A track that cannot be made is None in the list, with a "
          "UserWarning naming it; the others are there. Raises ValueError for a bad option or settings no "
          "track "
          "can be made with.");
    m.def("outputs", &OutputList,
          "outputs() -> dict\n\nEvery output write() can make, by its name, with the files it writes "
          "(NAME standing for the track's name).");
}

} // namespace

PYBIND11_MODULE(velmora, m)
{
    // Every docstring begins with the call as Python users write it.
    py::options options;
    options.disable_function_signatures();

    m.doc() = R"(Velmora's tracks, maps and race lines for Python.

The same code as velmora-export: velmora.load reads a track file (.trk), a
circuit's centre line (.csv) or an occupancy map (.yaml); velmora.generate
makes random tracks as velmora-export --generate does. A Track gives its
centre line, edges, occupancy grid, race line, picture and RL data as NumPy
arrays and text, and write() writes the tool's files, byte for byte.

Options are the tool's, '-' written '_' (track_width for --track-width);
a switch is True. A bad value raises ValueError with the tool's message;
a track that cannot be read, made or written raises velmora.TrackError.
What the tool would warn of on stderr is a UserWarning.)";

    // NumPy is looked up once, here, with the interpreter's lock held and no
    // other thread in the module: pybind11 keeps it in a static made on
    // first use, and two threads making their first array at once would
    // each wait for the other, one for the static and one for the lock.
    ImportNumpy();
    py::array_t<double>(0);

    AddTypes(m);
    AddTrack(m);
    AddFunctions(m);
}
