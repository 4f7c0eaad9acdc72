#include "platform/alsa/element_facts.h"

#include "platform/alsa/element_names.h"

ElementFacts describeElement(snd_mixer_elem_t* e) {
    ElementFacts d;
    d.handle = e;
    d.name = snd_mixer_selem_get_name(e);
    d.index = snd_mixer_selem_get_index(e);
    d.label = elementLabel(d.name, d.index);
    d.active = snd_mixer_selem_is_active(e) != 0;
    d.pvol = snd_mixer_selem_has_playback_volume(e) != 0;
    d.pvolJoined = snd_mixer_selem_has_playback_volume_joined(e) != 0;
    d.pmono = snd_mixer_selem_is_playback_mono(e) != 0;
    d.psw = snd_mixer_selem_has_playback_switch(e) != 0;
    d.pswJoined = snd_mixer_selem_has_playback_switch_joined(e) != 0;
    d.cvol = snd_mixer_selem_has_capture_volume(e) != 0;
    d.cvolJoined = snd_mixer_selem_has_capture_volume_joined(e) != 0;
    d.cmono = snd_mixer_selem_is_capture_mono(e) != 0;
    d.csw = snd_mixer_selem_has_capture_switch(e) != 0;
    d.cswJoined = snd_mixer_selem_has_capture_switch_joined(e) != 0;
    d.cswExclusive = d.csw && snd_mixer_selem_has_capture_switch_exclusive(e) != 0;
    d.cgroup = d.cswExclusive ? snd_mixer_selem_get_capture_group(e) : -1;
    d.commonVol = snd_mixer_selem_has_common_volume(e) != 0;
    d.commonSw = snd_mixer_selem_has_common_switch(e) != 0;
    d.enumerated = snd_mixer_selem_is_enumerated(e) != 0;
    d.enumCapture = d.enumerated && snd_mixer_selem_is_enum_capture(e) != 0;
    return d;
}
