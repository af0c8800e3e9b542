#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <deque>
#include <utility>
#include <vector>

#include "app/workspace.h"

namespace velmora {

// Prompts that answer from a script and remember what was asked.
struct FakePrompts {
    struct Dialog {
        QString kind;  // "open" or "save"
        QString title;
        QString filter;
        QString folder;
    };

    QString fileAnswer;  // what every file dialog returns; empty is Cancel
    std::deque<bool> confirmAnswers;  // taken in turn; No once they run out
    std::vector<Dialog> dialogs;
    QStringList confirms;
    std::vector<std::pair<QString, QString>> boxes;  // title, text
    QImage clipboard;
    int clipboardCalls = 0;

    Prompts Make()
    {
        Prompts p;
        p.openFile = [this](const QString& t, const QString& f, const QString& d) { return Ask("open", t, f, d); };
        p.saveFile = [this](const QString& t, const QString& f, const QString& d) { return Ask("save", t, f, d); };
        p.confirm = [this](const QString& text) {
            confirms << text;
            if (confirmAnswers.empty())
                return false;
            const bool yes = confirmAnswers.front();
            confirmAnswers.pop_front();
            return yes;
        };
        p.message = [this](const QString& title, const QString& text) { boxes.emplace_back(title, text); };
        p.toClipboard = [this](const QImage& picture) {
            clipboard = picture;
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

}  // namespace velmora
