#pragma once
// The strip buttons that reach beyond one strip: solo among the playback
// sources, the remembered mute states solo restores, and the small VU
// images that choose the line the VU window meters.

#include <vector>

class ChannelStrip;
struct SharedState;

// Solo press of playback strip `strip` (strips 2 to 12 in use take part):
// solos it, muting the others, or un-solos it, giving every other strip
// back the mute state its user chose. Writes every source strip in use.
void soloMouseDown(SharedState& state, const std::vector<ChannelStrip*>& strips, ChannelStrip* strip);

// After the strips were read from the card: while no strip is soloed the
// mute state shown is the one to restore after a later solo.
void rememberMuteStates(const std::vector<ChannelStrip*>& strips);

// True when some playback strip is soloed, shown or not: a strip hidden
// while soloed still holds the others muted.
bool anySoloed(const std::vector<ChannelStrip*>& strips);
