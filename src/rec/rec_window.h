#pragma once
// The recording mixer window.

#include "app/tavlo_window.h"

class TAudioMixer;

class Trec : public TavloWindow {
    Q_OBJECT
public:
    explicit Trec(AppContext& context);
    TAudioMixer* Mixer;

private:
    void FormCreate();
};
