#include "app/user_messages.h"

#include <QMessageBox>

namespace {

const QString kTitle = QStringLiteral("Tavlo");

class MessageBoxes : public UserMessages {
public:
    void information(const QString& text) override { QMessageBox::information(nullptr, kTitle, text); }
    void warning(const QString& text) override { QMessageBox::warning(nullptr, kTitle, text); }
    bool question(const QString& text) override {
        return QMessageBox::question(nullptr, kTitle, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

}  // namespace

std::unique_ptr<UserMessages> messageBoxes() { return std::make_unique<MessageBoxes>(); }
