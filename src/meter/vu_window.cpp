#include "meter/vu_window.h"

TForm2::TForm2() : TavloWindow(QStringLiteral("Form2"), QStringLiteral("VU by Varnel")) {}
