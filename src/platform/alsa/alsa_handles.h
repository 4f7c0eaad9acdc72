#pragma once
// Owning handles for alsa-lib objects.

#include <alsa/asoundlib.h>

#include <memory>

struct AlsaMixerCloser {
    void operator()(snd_mixer_t* m) const { snd_mixer_close(m); }
};
using AlsaMixerPtr = std::unique_ptr<snd_mixer_t, AlsaMixerCloser>;

struct AlsaCardInfoFree {
    void operator()(snd_ctl_card_info_t* i) const { snd_ctl_card_info_free(i); }
};
using AlsaCardInfoPtr = std::unique_ptr<snd_ctl_card_info_t, AlsaCardInfoFree>;
