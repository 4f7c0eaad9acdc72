#pragma once
// The channel selection dialog: which strips each mixer window shows.

#include "app/tavlo_window.h"

class TForm4 : public TavloWindow {
    Q_OBJECT
public:
    explicit TForm4(AppContext& context);

private:
    void FormCreate();
};
