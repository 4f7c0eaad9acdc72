#include "app/user_messages.h"

#include <QMessageBox>

namespace {

const QString kTitle = QStringLiteral("Tavlo");

// The program's windows stay on top (the splash too): a box must come
// above them to be seen.
QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, kTitle, text, buttons);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

class MessageBoxes : public UserMessages {
public:
    void information(const QString& text) override { ask(QMessageBox::Information, text, QMessageBox::Ok); }
    void warning(const QString& text) override { ask(QMessageBox::Warning, text, QMessageBox::Ok); }
    bool question(const QString& text) override {
        return ask(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

}  // namespace

std::unique_ptr<UserMessages> messageBoxes() { return std::make_unique<MessageBoxes>(); }
