#pragma once
// The running program: the mixer service, the state the windows share, the
// user's message boxes, the windows, created in their fixed order, and the
// controller that owns every sequence spanning them. A test builds its own
// context over a simulated driver (and a recorder for the messages).

#include "app/user_messages.h"
#include "strips/shared_state.h"

#include <QObject>

#include <functional>
#include <memory>

class MixerController;
class MixerDriver;
class MixerService;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class Trec;

class AppContext : public QObject {
    Q_OBJECT
public:
    // Without messages the program shows real message boxes.
    explicit AppContext(std::unique_ptr<MixerDriver> driver, std::unique_ptr<UserMessages> messages = nullptr,
                        QObject* parent = nullptr);
    ~AppContext() override;

    SharedState& state() { return state_; }
    MixerService& service() { return *service_; }
    UserMessages& messages() { return *messages_; }

    // Creates Form3, Form1, rec, Form2 and Form4 in that order, each with
    // its creation handler, then the controller, which runs the first full
    // initialisation as the dialog's creation handler did.
    // splashMade, when given, runs as soon as the splash exists, before the
    // other windows are built (the program shows it there).
    void createWindows(const std::function<void(QWidget&)>& splashMade = {});

    // For the program's start and for tests; the windows never see these.
    TForm3* Form3() const { return form3_.get(); }
    TForm1* Form1() const { return form1_.get(); }
    Trec* rec() const { return rec_.get(); }
    TForm2* Form2() const { return form2_.get(); }
    TForm4* Form4() const { return form4_.get(); }
    MixerController* controller() const { return controller_.get(); }

private:
    SharedState state_;
    // The program writes from its start until the first initialisation ends.
    ChangeGuard::Hold startUp_;
    std::unique_ptr<UserMessages> messages_;
    std::unique_ptr<MixerService> service_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<Trec> rec_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<MixerController> controller_;
};
