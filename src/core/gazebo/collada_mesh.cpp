#include "core/gazebo/collada_mesh.h"

#include "core/formats/number_text.h"
#include "core/gazebo/xml_text.h"

#include <cmath>

namespace velmora {

namespace {

// Positions to a tenth of a millimetre, directions to four places: far below
// what a simulator resolves, and it keeps the file small.
constexpr int kPlaces = 4;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Triangles with one normal per face; positions are shared between faces.
struct MeshData {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<int> indices; // position, normal, (uv) per corner

    int Add(Vec3 p)
    {
        positions.push_back(p);
        return int(positions.size()) - 1;
    }

    // The quad a b c d (in order round its edge), facing `outward`: wound
    // so that it is counter-clockwise seen from that side. Nothing for a
    // quad without area.
    void Quad(int a, int b, int c, int d, Vec3 outward)
    {
        const Vec3 pa = positions[std::size_t(a)];
        Vec3 n = Cross(positions[std::size_t(b)] - pa, positions[std::size_t(c)] - pa);
        const double len = std::sqrt(Dot(n, n));
        if (!(len > 1e-12))
            return;
        n = {n.x / len, n.y / len, n.z / len};
        if (Dot(n, outward) < 0) {
            std::swap(b, d);
            n = {-n.x, -n.y, -n.z};
        }
        normals.push_back(n);
        const int ni = int(normals.size()) - 1;
        for (const int v : {a, b, c, a, c, d}) {
            indices.push_back(v);
            indices.push_back(ni);
        }
    }
};

void AddWalls(MeshData& mesh, const TrackMeshInput& in)
{
    const WorldFrame& f = in.frame;
    const double h = in.wallHeight;
    for (const WallStrip& strip : in.walls) {
        const std::size_t n = strip.inner.size();
        if (n < 2 || strip.outer.size() != n)
            continue;
        // Four corners per point: inner bottom, inner top, outer bottom,
        // outer top.
        const int base = int(mesh.positions.size());
        for (std::size_t i = 0; i < n; ++i) {
            const CanvasPoint p = strip.inner[i], q = strip.outer[i];
            mesh.Add({f.X(p.x), f.Y(p.y), 0});
            mesh.Add({f.X(p.x), f.Y(p.y), h});
            mesh.Add({f.X(q.x), f.Y(q.y), 0});
            mesh.Add({f.X(q.x), f.Y(q.y), h});
        }
        const auto corner = [&](std::size_t i, int k) { return base + int(i) * 4 + k; };
        const auto across = [&](std::size_t i) { // from the inner face to the outer
            return mesh.positions[std::size_t(corner(i, 2))] - mesh.positions[std::size_t(corner(i, 0))];
        };
        const std::size_t segments = strip.closed ? n : n - 1;
        for (std::size_t i = 0; i < segments; ++i) {
            const std::size_t j = (i + 1) % n;
            Vec3 out = across(i);
            const Vec3 outJ = across(j);
            out = {out.x + outJ.x, out.y + outJ.y, 0};
            mesh.Quad(corner(i, 0), corner(j, 0), corner(j, 1), corner(i, 1), {-out.x, -out.y, 0});
            mesh.Quad(corner(i, 2), corner(j, 2), corner(j, 3), corner(i, 3), out);
            mesh.Quad(corner(i, 1), corner(j, 1), corner(j, 3), corner(i, 3), {0, 0, 1});
        }
        if (!strip.closed) {
            const Vec3 back =
                mesh.positions[std::size_t(corner(0, 0))] - mesh.positions[std::size_t(corner(1, 0))];
            const Vec3 ahead =
                mesh.positions[std::size_t(corner(n - 1, 0))] - mesh.positions[std::size_t(corner(n - 2, 0))];
            mesh.Quad(corner(0, 0), corner(0, 2), corner(0, 3), corner(0, 1), back);
            mesh.Quad(corner(n - 1, 0), corner(n - 1, 2), corner(n - 1, 3), corner(n - 1, 1), ahead);
        }
    }
}

void AppendNumbers(std::string& out, const std::vector<Vec3>& values)
{
    bool first = true;
    for (const Vec3& v : values) {
        for (const double c : {v.x, v.y, v.z}) {
            if (!first)
                out += ' ';
            first = false;
            out += FormatTrimmed(c, kPlaces);
        }
    }
}

void AppendIndices(std::string& out, const std::vector<int>& indices)
{
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i)
            out += ' ';
        out += std::to_string(indices[i]);
    }
}

void AppendSource(std::string& out, const std::string& id, const std::vector<Vec3>& values)
{
    const std::string count = std::to_string(values.size());
    out += "        <source id=\"" + id + "\">\n          <float_array id=\"" + id + "-array\" count=\"" +
           std::to_string(values.size() * 3) + "\">";
    AppendNumbers(out, values);
    out +=
        "</float_array>\n          <technique_common>\n            <accessor source=\"#" + id +
        "-array\" count=\"" + count +
        "\" stride=\"3\">\n              <param name=\"X\" type=\"float\"/>\n"
        "              <param name=\"Y\" type=\"float\"/>\n              <param name=\"Z\" type=\"float\"/>\n"
        "            </accessor>\n          </technique_common>\n        </source>\n";
}

// The plate's corners with their places in the picture: texture v runs up
// from the picture's bottom row, as COLLADA readers take it.
void AppendGround(std::string& out, const TrackMeshInput& in)
{
    const WorldFrame& f = in.frame;
    const double x0 = f.X(0), x1 = f.X(in.canvasWidth);
    const double yTop = f.Y(0), yBottom = f.Y(in.canvasHeight);
    MeshData plate;
    plate.Add({x0, yBottom, 0});
    plate.Add({x1, yBottom, 0});
    plate.Add({x1, yTop, 0});
    plate.Add({x0, yTop, 0});
    plate.Quad(0, 1, 2, 3, {0, 0, 1});
    // Each corner's uv has the index of its position.
    std::string p;
    for (std::size_t i = 0; i < plate.indices.size(); i += 2) {
        const std::string v = std::to_string(plate.indices[i]);
        p += (i ? " " : "") + v + " " + std::to_string(plate.indices[i + 1]) + " " + v;
    }
    out += "    <geometry id=\"ground-mesh\" name=\"ground\">\n      <mesh>\n";
    AppendSource(out, "ground-positions", plate.positions);
    AppendSource(out, "ground-normals", plate.normals);
    out +=
        "        <source id=\"ground-uvs\">\n          <float_array id=\"ground-uvs-array\" count=\"8\">"
        "0 0 1 0 1 1 0 1</float_array>\n          <technique_common>\n"
        "            <accessor source=\"#ground-uvs-array\" count=\"4\" stride=\"2\">\n"
        "              <param name=\"S\" type=\"float\"/>\n              <param name=\"T\" type=\"float\"/>\n"
        "            </accessor>\n          </technique_common>\n        </source>\n"
        "        <vertices id=\"ground-vertices\">\n"
        "          <input semantic=\"POSITION\" source=\"#ground-positions\"/>\n        </vertices>\n"
        "        <triangles material=\"ground\" count=\"" +
        std::to_string(plate.indices.size() / 6) +
        "\">\n          <input semantic=\"VERTEX\" source=\"#ground-vertices\" offset=\"0\"/>\n"
        "          <input semantic=\"NORMAL\" source=\"#ground-normals\" offset=\"1\"/>\n"
        "          <input semantic=\"TEXCOORD\" source=\"#ground-uvs\" offset=\"2\" set=\"0\"/>\n"
        "          <p>" +
        p + "</p>\n        </triangles>\n      </mesh>\n    </geometry>\n";
}

void AppendWalls(std::string& out, const MeshData& walls)
{
    out += "    <geometry id=\"walls-mesh\" name=\"walls\">\n      <mesh>\n";
    AppendSource(out, "walls-positions", walls.positions);
    AppendSource(out, "walls-normals", walls.normals);
    out += "        <vertices id=\"walls-vertices\">\n"
           "          <input semantic=\"POSITION\" source=\"#walls-positions\"/>\n        </vertices>\n"
           "        <triangles material=\"wall\" count=\"" +
           std::to_string(walls.indices.size() / 6) +
           "\">\n          <input semantic=\"VERTEX\" source=\"#walls-vertices\" offset=\"0\"/>\n"
           "          <input semantic=\"NORMAL\" source=\"#walls-normals\" offset=\"1\"/>\n          <p>";
    AppendIndices(out, walls.indices);
    out += "</p>\n        </triangles>\n      </mesh>\n    </geometry>\n";
}

} // namespace

std::string TrackCollada(const TrackMeshInput& in)
{
    MeshData walls;
    AddWalls(walls, in);
    const bool hasWalls = !walls.indices.empty();

    std::string out;
    out.reserve(256 * 1024);
    out +=
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        "  <asset>\n    <contributor>\n      <authoring_tool>Velmora</authoring_tool>\n    </contributor>\n"
        // Fixed dates: the same track makes the same file.
        "    <created>2000-01-01T00:00:00Z</created>\n    <modified>2000-01-01T00:00:00Z</modified>\n"
        "    <unit name=\"meter\" meter=\"1\"/>\n    <up_axis>Z_UP</up_axis>\n  </asset>\n"
        "  <library_images>\n    <image id=\"ground-image\" name=\"ground-image\">\n      <init_from>" +
        XmlEscaped(in.textureUri) +
        "</init_from>\n    </image>\n  </library_images>\n"
        "  <library_effects>\n    <effect id=\"ground-effect\">\n      <profile_COMMON>\n"
        "        <newparam sid=\"ground-surface\">\n          <surface type=\"2D\">\n"
        "            <init_from>ground-image</init_from>\n          </surface>\n        </newparam>\n"
        "        <newparam sid=\"ground-sampler\">\n          <sampler2D>\n"
        "            <source>ground-surface</source>\n          </sampler2D>\n        </newparam>\n"
        "        <technique sid=\"common\">\n          <lambert>\n            <diffuse>\n"
        "              <texture texture=\"ground-sampler\" texcoord=\"UVMap\"/>\n            </diffuse>\n"
        "          </lambert>\n        </technique>\n      </profile_COMMON>\n    </effect>\n"
        "    <effect id=\"wall-effect\">\n      <profile_COMMON>\n        <technique sid=\"common\">\n"
        "          <lambert>\n            <diffuse>\n              <color>0.85 0.85 0.85 1</color>\n"
        "            </diffuse>\n          </lambert>\n        </technique>\n      </profile_COMMON>\n"
        "    </effect>\n  </library_effects>\n"
        "  <library_materials>\n"
        "    <material id=\"ground-material\" name=\"ground\">\n"
        "      <instance_effect url=\"#ground-effect\"/>\n    </material>\n"
        "    <material id=\"wall-material\" name=\"wall\">\n"
        "      <instance_effect url=\"#wall-effect\"/>\n    </material>\n  </library_materials>\n"
        "  <library_geometries>\n";
    AppendGround(out, in);
    if (hasWalls)
        AppendWalls(out, walls);
    out += "  </library_geometries>\n  <library_visual_scenes>\n"
           "    <visual_scene id=\"scene\" name=\"scene\">\n"
           "      <node id=\"ground\" name=\"ground\" type=\"NODE\">\n"
           "        <instance_geometry url=\"#ground-mesh\">\n          <bind_material>\n"
           "            <technique_common>\n"
           "              <instance_material symbol=\"ground\" target=\"#ground-material\">\n"
           "                <bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" "
           "input_set=\"0\"/>\n"
           "              </instance_material>\n            </technique_common>\n          </bind_material>\n"
           "        </instance_geometry>\n      </node>\n";
    if (hasWalls)
        out += "      <node id=\"walls\" name=\"walls\" type=\"NODE\">\n"
               "        <instance_geometry url=\"#walls-mesh\">\n          <bind_material>\n"
               "            <technique_common>\n"
               "              <instance_material symbol=\"wall\" target=\"#wall-material\"/>\n"
               "            </technique_common>\n          </bind_material>\n"
               "        </instance_geometry>\n      </node>\n";
    out += "    </visual_scene>\n  </library_visual_scenes>\n"
           "  <scene>\n    <instance_visual_scene url=\"#scene\"/>\n  </scene>\n</COLLADA>\n";
    return out;
}

} // namespace velmora
