#include "rec/rec_window.h"

#include "app/app_context.h"
#include "mixer/audio_mixer.h"

Trec::Trec(AppContext& context) : TavloWindow(context, QStringLiteral("rec"), QStringLiteral("Rekado by Varnel")) {
    Mixer = new TAudioMixer(context.service(), this);
    Mixer->setObjectName(QStringLiteral("Mixer"));
    FormCreate();
}

void Trec::FormCreate() {
    hide();
    context().state().SwapLR = false;
}
