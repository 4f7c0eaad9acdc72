#pragma once
// The VU window: meters and the over-peak log of one line.

#include "app/tavlo_window.h"

class TForm2 : public TavloWindow {
    Q_OBJECT
public:
    explicit TForm2(AppContext& context);
};
