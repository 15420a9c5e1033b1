#pragma once

// A Dialogs stand-in for tests: records every message, answers confirmations
// and save dialogs as scripted, and never blocks.

#include "windows/Dialogs.h"

#include <QStringList>

#include <deque>

class ScriptedDialogs final : public windows::Dialogs
{
public:
    ScriptedDialogs() { windows::setDialogs(this); }
    ~ScriptedDialogs() override { windows::setDialogs(nullptr); }

    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    struct Message {
        QString kind; // "information", "warning", "error", "confirm", "confirm warning"
        QString text;
        QString title;
    };

    std::vector<Message> messages;
    std::deque<bool> confirmAnswers; // empty: answers No
    std::deque<QString> saveNames;   // empty: cancels
    std::vector<SaveOptions> saveRequests;

    int count(const QString& kind, const QString& text) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += (m.kind == kind && m.text == text) ? 1 : 0;
        return n;
    }

    void information(QWidget*, const QString& text) override
    {
        messages.push_back({QStringLiteral("information"), text, {}});
    }
    void warning(QWidget*, const QString& text, bool) override
    {
        messages.push_back({QStringLiteral("warning"), text, {}});
    }
    void error(QWidget*, const QString& text) override
    {
        messages.push_back({QStringLiteral("error"), text, {}});
    }
    bool confirm(QWidget*, const QString& text, const QString& title, Icon icon) override
    {
        messages.push_back(
            {icon == Icon::Warning ? QStringLiteral("confirm warning") : QStringLiteral("confirm"),
             text, title});
        if (confirmAnswers.empty())
            return false;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    QString saveFileName(QWidget*, const SaveOptions& options) override
    {
        saveRequests.push_back(options);
        if (saveNames.empty())
            return {};
        QString name = saveNames.front();
        saveNames.pop_front();
        return name;
    }
};
