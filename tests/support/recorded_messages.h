#pragma once
// The program's messages to the user, recorded instead of shown; questions
// take the answers queued here (No when none is left).

#include "app/user_messages.h"

#include <QStringList>

#include <deque>

struct RecordedMessages : UserMessages {
    struct Log {
        QStringList information;
        QStringList warnings;
        QStringList questions;
        std::deque<bool> answers;
        int count() const { return int(information.size() + warnings.size() + questions.size()); }
    };
    explicit RecordedMessages(Log& log) : log_(log) {}
    void information(const QString& text) override { log_.information << text; }
    void warning(const QString& text) override { log_.warnings << text; }
    bool question(const QString& text) override {
        log_.questions << text;
        if (log_.answers.empty()) return false;
        const bool yes = log_.answers.front();
        log_.answers.pop_front();
        return yes;
    }

private:
    Log& log_;
};
