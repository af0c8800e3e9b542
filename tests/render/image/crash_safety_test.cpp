// A save killed at any moment leaves the target as one complete version: the
// old file or the new one, never a half-written mix.
#include "render/image/png_write.h"
#include "render/image/atomic_save.h"
#include "core/formats/track_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velmora {
namespace {

constexpr int kKills = 30;

std::string ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A track of 200,000 points; `shift` makes a second version of the same size.
std::string LargeTrackFile(int shift)
{
    TrackModel model;
    std::string& path = model.TrackPath;
    path.reserve(200'000 * 16);
    path = "M 100 100 ";
    for (int i = 1; i < 200'000; ++i)
        path += "L " + std::to_string(100 + i % 997 + shift) + " " + std::to_string(100 + i % 991) + " ";
    RebuildCursor(model);
    for (int i = 0; i < 200; ++i)
        model.markers.push_back({1 + i % 3, i * 7 + shift, i * 5});
    return WriteTrackFile(model);
}

std::string LargePng(int shift)
{
    QImage picture(4096, 4096, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            row[x] = qRgb((x * 7 + shift) & 255, (y * 3) & 255, ((x ^ y) + shift) & 255);
    }
    const Result<std::string> png = EncodePng(picture);
    return png ? *png : std::string();
}

// Forks a child that saves the two versions over the target in turn, for
// ever, lets it save for `delay` and kills it. The child is a copy of this
// process with both versions already in memory, so it starts saving at once.
void RunAndKill(const QString& target, const std::string (&versions)[2], std::chrono::microseconds delay)
{
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        for (unsigned n = 1;; ++n)
            if (!SaveBytes(target, versions[n % 2]))
                _exit(1);
    }
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the child ended by itself before the kill (status " << status << ")";
}

// Kills the child at random moments and checks the target after each kill.
void KillWhileSaving(const std::string& versionA, const std::string& versionB, const char* name)
{
    ASSERT_FALSE(versionA.empty());
    ASSERT_NE(versionA, versionB);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string versions[2] = {versionA, versionB};
    const QString work = dir.path();
    const QString target = work + "/" + name;
    ASSERT_TRUE(SaveBytes(target, versionA));

    // One save's time sets the range of delays so that the kills spread over
    // whole saves and land at every stage of them.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SaveBytes(target, versionA));
    const auto oneSave =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    const std::uint32_t seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delays(0, 3 * oneSave.count() + 2000);

    int strays = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const std::chrono::microseconds delay(delays(random));
        RunAndKill(target, versions, delay);
        if (::testing::Test::HasFatalFailure())
            return;
        const std::string now = ReadFile(target);
        ASSERT_TRUE(now == versionA || now == versionB)
            << name << ": after kill " << kill + 1 << " at " << delay.count() << " us (seed " << seed
            << ") the file is " << now.size() << " bytes, neither version (" << versionA.size() << ", "
            << versionB.size() << ")";
        // A kill may leave the temporary file of the interrupted save; it
        // never takes the target's name. Clear it for the next round.
        for (const QString& entry : QDir(work).entryList(QDir::Files)) {
            if (entry != name) {
                ++strays;
                QFile::remove(work + "/" + entry);
            }
        }
    }
    std::printf("%s: %d kills, one save %lld us, %d interrupted temporary files left beside it\n", name,
                kKills, static_cast<long long>(oneSave.count()), strays);
}

TEST(CrashSafety, KilledTrackSaveLeavesOneCompleteVersion)
{
    KillWhileSaving(LargeTrackFile(0), LargeTrackFile(1), "large.trk");
}

TEST(CrashSafety, KilledPngExportLeavesOneCompleteVersion)
{
    // The two encodings take a while with the sanitizers; make them at once.
    auto second = std::async(std::launch::async, [] { return LargePng(1); });
    const std::string first = LargePng(0);
    KillWhileSaving(first, second.get(), "large.png");
}

} // namespace
} // namespace velmora
