#include "config/channel_dialog.h"

#include "app/app_context.h"
#include "mixer/audio_mixer.h"
#include "play/form1.h"
#include "rec/rec_window.h"

TForm4::TForm4(AppContext& context)
    : TavloWindow(context, QStringLiteral("Form4"),
                  QStringLiteral("       Select the channels that you want to see in Tavlo.")) {
    FormCreate();
}

void TForm4::FormCreate() {
    // The last window made runs the first full initialisation.
    SharedState& s = context().state();
    s.ChangeGuard = 1;
    s.MixerIndex = 0;
    context().rec()->Mixer->SetMixerId(0);
    context().Form1()->Mixer->SetMixerId(0);
    context().Form1()->Button1Click();
    s.ChangeGuard = 0;
    context().Form1()->Button5Click();
}
