#pragma once
// The program's few messages to the user: modal boxes with one OK button
// (information or warning) and the Yes/No question. One instance lives in
// the application context; a test gives the program a recorder instead.

#include <QString>

#include <memory>

class UserMessages {
public:
    virtual ~UserMessages() = default;
    virtual void information(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    // True for Yes.
    virtual bool question(const QString& text) = 0;
};

// Real message boxes, titled "Tavlo".
std::unique_ptr<UserMessages> messageBoxes();
