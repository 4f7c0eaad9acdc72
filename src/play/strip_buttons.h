#pragma once
// The strip buttons that reach beyond one strip: solo among the playback
// sources, the remembered mute states solo restores, and the small VU
// images that open the VU window on a strip's line.

#include <vector>

class AppContext;
class ChannelStrip;

// Solo press of playback strip `strip` (strips 2 to 12 in use take part):
// solos it, muting the others, or un-solos it, giving every other strip
// back the mute state its user chose. Writes every source strip in use.
void soloMouseDown(AppContext& context, const std::vector<ChannelStrip*>& strips, ChannelStrip* strip);

// After the strips were read from the card: while no strip is soloed the
// mute state shown is the one to restore after a later solo.
void rememberMuteStates(const std::vector<ChannelStrip*>& strips);

// True when some playback strip is soloed.
bool anySoloed(const std::vector<ChannelStrip*>& strips);

// A strip's VU image pressed: the VU window is to meter this strip's line
// (a soloed playback strip through its destination line), and shows.
void vuImageMouseDown(AppContext& context, ChannelStrip* strip);
