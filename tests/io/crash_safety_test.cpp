// A save killed at any moment leaves the target as one complete version: the
// old file or the new one, never a half-written mix.
#include "io/png_write.h"
#include "io/save_file.h"
#include "io/track_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

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
    const std::optional<std::string> png = EncodePng(picture);
    return png ? *png : std::string();
}

// Starts the saving child, waits until it has both versions in memory, lets
// it save for `delay` and kills it.
void RunAndKill(const QString& target, const QString& a, const QString& b, std::chrono::microseconds delay)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string t = target.toStdString(), sa = a.toStdString(), sb = b.toStdString();
    char* argv[] = {const_cast<char*>(VELMORA_SAVE_CHILD), const_cast<char*>(t.c_str()),
                    const_cast<char*>(sa.c_str()), const_cast<char*>(sb.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, VELMORA_SAVE_CHILD, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    ASSERT_EQ(spawned, 0);
    char ready[6] = {};
    const ssize_t got = read(pipeFds[0], ready, sizeof ready);
    close(pipeFds[0]);
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_EQ(got, 6) << "the child did not start saving";
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
    const QString a = dir.filePath("version-a"), b = dir.filePath("version-b");
    ASSERT_TRUE(SaveBytes(a, versionA) && SaveBytes(b, versionB));
    const QString work = dir.filePath("work");
    ASSERT_TRUE(QDir().mkpath(work));
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
        RunAndKill(target, a, b, delay);
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
    KillWhileSaving(LargePng(0), LargePng(1), "large.png");
}

} // namespace
} // namespace velmora
