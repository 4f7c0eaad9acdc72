#include "mixer/mixer_lists.h"

#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"

TMixerControls::TMixerControls(MixerService& service, HMIXER handle, const MIXERLINE& line) : block_(line.cControls) {
    MIXERLINECONTROLS query{};
    query.cbStruct = sizeof(MIXERLINECONTROLS);
    query.dwLineID = line.dwLineID;
    query.cControls = line.cControls;
    query.cbmxctrl = sizeof(MIXERCONTROL);
    query.pamxctrl = block_.data();
    // A failed query leaves the line without controls.
    if (!block_.empty() &&
        service.mixerGetLineControlsA(handle, &query, MIXER_GETLINECONTROLSF_ALL) == MMSYSERR_NOERROR)
        count_ = static_cast<int>(block_.size());
}

TMixerConnection::TMixerConnection(TAudioMixer* mixer, const MIXERLINE& line)
    : Mixer(mixer), LineInfo(line), Controls(mixer->Service(), mixer->MixerHandle(), line) {}

TMixerConnections::TMixerConnections(TAudioMixer* mixer, const MIXERLINE& destination) : Mixer(mixer) {
    for (DWORD s = 0; s < destination.cConnections; ++s) {
        MIXERLINE line{};
        line.cbStruct = sizeof(MIXERLINE);
        line.dwDestination = destination.dwDestination;
        line.dwSource = s;
        // A source that cannot be queried is left out; later ones move up.
        if (mixer->Service().mixerGetLineInfoA(mixer->MixerHandle(), &line, MIXER_GETLINEINFOF_SOURCE) ==
            MMSYSERR_NOERROR)
            list_.Add(std::make_unique<TMixerConnection>(mixer, line));
    }
}

TMixerDestination::TMixerDestination(TAudioMixer* mixer, const MIXERLINE& line)
    : Mixer(mixer), LineInfo(line), Connections(mixer, line), Controls(mixer->Service(), mixer->MixerHandle(), line) {}

TMixerDestinations::TMixerDestinations(TAudioMixer* mixer) {
    const DWORD count = mixer->MixerCaps().cDestinations;
    for (DWORD d = 0; d < count; ++d) {
        MIXERLINE line{};
        line.cbStruct = sizeof(MIXERLINE);
        line.dwDestination = d;
        if (mixer->Service().mixerGetLineInfoA(mixer->MixerHandle(), &line, MIXER_GETLINEINFOF_DESTINATION) ==
            MMSYSERR_NOERROR)
            list_.Add(std::make_unique<TMixerDestination>(mixer, line));
    }
}
