#pragma once
// The running program: the mixer service, the state the windows share and
// the windows themselves, created in their fixed order. A test builds its
// own context over a simulated driver.

#include "app/shared_state.h"

#include <QObject>

#include <memory>

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
    explicit AppContext(std::unique_ptr<MixerDriver> driver, QObject* parent = nullptr);
    ~AppContext() override;

    SharedState& state() { return state_; }
    MixerService& service() { return *service_; }

    // Creates Form3, Form1, rec, Form2 and Form4 in that order; each
    // creation handler runs as its window is made, and Form4's runs the
    // first full initialisation.
    void createWindows();

    TForm3* Form3() const { return form3_.get(); }
    TForm1* Form1() const { return form1_.get(); }
    Trec* rec() const { return rec_.get(); }
    TForm2* Form2() const { return form2_.get(); }
    TForm4* Form4() const { return form4_.get(); }

    // A diagnostic trace point: shows its text in a modal box unless traces
    // are off (they are switched off as soon as the splash is created).
    void trace(const QString& text);

private:
    SharedState state_;
    std::unique_ptr<MixerService> service_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<Trec> rec_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm4> form4_;
};
