#pragma once

#include "ui/failure_report.h"
#include "ui/workspace.h"
#include "file_bytes.h"
#include "file_bytes.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <csignal>
#include <deque>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace velmora {

// Prompts that answer from a script and remember what was asked.
struct FakePrompts {
    struct Dialog {
        QString kind; // "open" or "save"
        QString title;
        QString filter;
        QString folder;
    };

    QString fileAnswer;              // what every file dialog returns; empty is Cancel
    std::deque<bool> confirmAnswers; // taken in turn; No once they run out
    std::vector<Dialog> dialogs;
    QStringList confirms;
    std::vector<std::pair<QString, QString>> boxes; // title, text
    QImage clipboard;
    QByteArray clipboardPng;
    int clipboardCalls = 0;

    Prompts Make()
    {
        Prompts p;
        p.openFile = [this](const QString& t, const QString& f, const QString& d) {
            return Ask("open", t, f, d);
        };
        p.saveFile = [this](const QString& t, const QString& f, const QString& d) {
            return Ask("save", t, f, d);
        };
        p.confirm = [this](const QString& text) {
            confirms << text;
            if (confirmAnswers.empty())
                return false;
            const bool yes = confirmAnswers.front();
            confirmAnswers.pop_front();
            return yes;
        };
        p.message = [this](const QString& title, const QString& text) { boxes.emplace_back(title, text); };
        p.toClipboard = [this](const QImage& picture, const QByteArray& png) {
            clipboard = picture;
            clipboardPng = png;
            ++clipboardCalls;
        };
        return p;
    }

private:
    QString Ask(const char* kind, const QString& title, const QString& filter, const QString& folder)
    {
        dialogs.push_back({kind, title, filter, folder});
        return fileAnswer;
    }
};

inline QString Report(const QString& what, const char* procedure, int line)
{
    return ReportText(what.toStdString(), procedure, line);
}

// Checks one file dialog as it was asked: kind, title, filter and folder.
inline void ExpectDialog(const FakePrompts::Dialog& d, const QString& kind, const QString& title,
                         const QString& filter, const QString& folder)
{
    EXPECT_EQ(d.kind, kind);
    EXPECT_EQ(d.title, title);
    EXPECT_EQ(d.filter, filter);
    EXPECT_EQ(d.folder, folder);
}

// Lets writes of more than `bytes` fail with EFBIG for the life of the object,
// so a failing write can be tested even where root may write anywhere.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

class FileCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ws.tracksFolder = dir.path() + "/";
        ws.canvas = QImage(40, 30, QImage::Format_ARGB32_Premultiplied);
        ws.canvas.fill(QColor(10, 120, 200));
        prompts = fake.Make();
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    // A file where a folder should be: nothing can be created below it.
    QString BlockedPath(const QString& name)
    {
        WriteAll(Path("blocker"), "x");
        return Path("blocker/" + name);
    }

    QStringList Entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    Workspace ws;
    FakePrompts fake;
    Prompts prompts;
};

} // namespace velmora
