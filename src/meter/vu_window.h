#pragma once
// The VU window: meters and the over-peak log of one line.

#include "strips/tavlo_window.h"

class TForm2 : public TavloWindow {
    Q_OBJECT
public:
    TForm2();
};
