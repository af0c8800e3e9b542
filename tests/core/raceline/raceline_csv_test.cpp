#include "core/formats/number_text.h"
#include "core/raceline/raceline_csv.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <unistd.h>
#include <gtest/gtest.h>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

// Reads the text the way the trajectory tools do: "#" lines are comments,
// fields split at ";" with blanks around them.
std::vector<std::vector<double>> ReadBack(std::string_view text, std::string& header)
{
    std::vector<std::vector<double>> rows;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        EXPECT_NE(end, std::string_view::npos) << "every line ends in LF";
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        EXPECT_EQ(line.find('\r'), std::string_view::npos);
        if (line.starts_with('#')) {
            header = std::string(line);
            continue;
        }
        std::vector<double> fields;
        for (std::size_t from = 0;;) {
            const std::size_t semi = line.find(';', from);
            std::string_view field = line.substr(from, semi == std::string_view::npos ? semi : semi - from);
            while (!field.empty() && field.front() == ' ')
                field.remove_prefix(1);
            const DecimalScan scan = ScanDecimal(field);
            EXPECT_EQ(scan.length, field.size()) << field;
            fields.push_back(scan.value);
            if (semi == std::string_view::npos)
                break;
            from = semi + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

const RacelineFileHeader kHeader = {"velmora-export 9.8.7", "Monza", "f1tenth",
                                    "controller's limits 8 m/s, 0.1 m from the line", HeadingZero::East};

TEST(RacelineCsv, ReadsBackWithTheFormatsConventions)
{
    Raceline line;
    line.rows = {{0, -1.25, 3.5, 3.14159265, -0.0000001, 12.34567, -9.87654},
                 {0.5, 1e5, -2e-5, -1.5, 0.25, 0, 0.00004}};
    line.closed = false;
    line.lapTime = 61.2346;
    const std::string text = RacelineCsv(line, kHeader);
    EXPECT_EQ(text.substr(0, text.find("\n0.0000")),
              "# velmora-export 9.8.7\n"
              "# track Monza, vehicle f1tenth (controller's limits 8 m/s, 0.1 m from the line), lap 61.235 s\n"
              "# s_m; x_m; y_m; psi_rad; kappa_radpm; vx_mps; ax_mps2");
    EXPECT_NE(text.find("\n0.0000; -1.2500; 3.5000; 3.141593; 0.000000; 12.3457; -9.8765\n"),
              std::string::npos);
    std::string header;
    const auto rows = ReadBack(text, header);
    EXPECT_EQ(header, "# s_m; x_m; y_m; psi_rad; kappa_radpm; vx_mps; ax_mps2");
    ASSERT_EQ(rows.size(), 2u) << "an open line does not repeat its first row";
    const double* fields[] = {&line.rows[1].s,     &line.rows[1].x,  &line.rows[1].y, &line.rows[1].psi,
                              &line.rows[1].kappa, &line.rows[1].vx, &line.rows[1].ax};
    ASSERT_EQ(rows[1].size(), 7u);
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_NEAR(rows[1][i], *fields[i], 1e-4);
}

TEST(RacelineCsv, ComputedLineReadsBack)
{
    RacelineInput loop;
    for (int i = 0; i < 120; ++i) {
        const double a = i * 0.0523598775598; // 3 degrees
        loop.centre.push_back({30 * std::cos(a), 18 * std::sin(a)});
    }
    loop.widthRight.assign(loop.centre.size(), 4);
    loop.widthLeft.assign(loop.centre.size(), 4);
    const Result<Raceline> line = ComputeRaceline(loop, RacecarVehicle(), 2.0);
    ASSERT_TRUE(line.ok()) << line.error();
    std::string header;
    const auto rows = ReadBack(RacelineCsv(*line, kHeader), header);
    ASSERT_EQ(rows.size(), line->rows.size() + 1) << "a loop ends with its first row again";
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 7u);
        EXPECT_NEAR(rows[i][0], 2.0 * static_cast<double>(i), 1e-4);
        EXPECT_NEAR(rows[i][5], line->rows[i].vx, 1e-4);
    }
    EXPECT_NEAR(rows.back()[0], line->length, 1e-4);
    for (std::size_t k = 1; k < 7; ++k)
        EXPECT_EQ(rows.back()[k], rows.front()[k]) << k;

    // TUM's convention turns every heading a quarter back, within (-pi, pi].
    RacelineFileHeader north = kHeader;
    north.headingZero = HeadingZero::North;
    const auto turned = ReadBack(RacelineCsv(*line, north), header);
    ASSERT_EQ(turned.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_GT(turned[i][3], -std::numbers::pi);
        EXPECT_LE(turned[i][3], std::numbers::pi + 1e-6);
        EXPECT_NEAR(std::remainder(turned[i][3] - (rows[i][3] - std::numbers::pi / 2), 2 * std::numbers::pi), 0,
                    2e-6);
    }
}

// The loaders users have read every row: NumPy skipping the three comment
// lines as the F1TENTH examples do, pandas taking the header from the third
// line as the racetracks' converter does (where pandas is installed).
TEST(RacelineCsv, NumpyAndPandasReadEveryRow)
{
    if (std::system("/usr/bin/python3 -c 'import numpy' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no /usr/bin/python3 with numpy (Debian: python3-numpy)";
    Raceline line;
    for (int i = 0; i < 5; ++i)
        line.rows.push_back({0.5 * i, 1.0 * i, -2.0 * i, 0.1 * i, 0.01 * i, 3.0 + i, 0.5});
    line.length = 2.5;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("velmora-raceline-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "loop_raceline.csv";
    std::ofstream(file, std::ios::binary) << RacelineCsv(line, kHeader);
    const std::filesystem::path script = dir / "check.py";
    std::ofstream(script) << "import sys, numpy as np\n"
                             "a = np.loadtxt(sys.argv[1], delimiter=';', skiprows=3)\n"
                             "assert a.shape == (6, 7), a.shape\n"
                             "assert a[0, 0] == 0 and a[-1, 0] == 2.5 and (a[0, 1:] == a[-1, 1:]).all()\n"
                             "assert a[4, 5] == 7\n"
                             "try:\n"
                             "    import pandas as pd\n"
                             "except ImportError:\n"
                             "    sys.exit(0)\n"
                             "f = pd.read_csv(sys.argv[1], sep=';', header=2)\n"
                             "assert len(f) == 6, len(f)\n"
                             "assert [c.strip() for c in f.columns] == ['# s_m', 'x_m', 'y_m', 'psi_rad', "
                             "'kappa_radpm', 'vx_mps', 'ax_mps2'], list(f.columns)\n"
                             "assert f[' vx_mps'][4] == 7\n";
    const std::string command = "/usr/bin/python3 " + script.string() + " " + file.string();
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::filesystem::remove_all(dir);
}

TEST(RacelineCsv, SummaryAndFixedDecimals)
{
    const struct {
        double length, lap;
        bool closed;
        const char* text;
    } summaries[] = {
        {5734.4, 107.3, true, "race line 5,734 m, lap 1:47.3"},
        {85.2, 59.96, true, "race line 85 m, lap 1:00.0"},
        {1234567.5, 3600.04, true, "race line 1,234,568 m, lap 60:00.0"},
        {999.5, 9.04, true, "race line 1,000 m, lap 0:09.0"},
        {100, INFINITY, true, "race line 100 m, lap unknown"},
        {412.4, 31.24, false, "race line 412 m, end to end 0:31.2"}, // no loop, no lap
    };
    for (const auto& s : summaries)
        EXPECT_EQ(RacelineSummary(s.length, s.lap, s.closed), s.text);

    const struct {
        double v;
        int decimals;
        const char* text;
    } fixed[] = {
        {1.23456, 4, "1.2346"}, {-0.00001, 4, "0.0000"}, {-0.0, 2, "0.00"}, {-2.5, 0, "-2"},
        {1e6, 1, "1000000.0"},  {-1.5, 1, "-1.5"},       {NAN, 3, "NaN"},   {-INFINITY, 3, "-Infinity"},
    };
    for (const auto& f : fixed)
        EXPECT_EQ(FormatFixed(f.v, f.decimals), f.text) << f.v;
}

} // namespace
} // namespace velmora
