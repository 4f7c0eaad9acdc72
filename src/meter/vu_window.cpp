#include "meter/vu_window.h"

TForm2::TForm2(AppContext& context) : TavloWindow(context, QStringLiteral("Form2"), QStringLiteral("VU by Varnel")) {}
