#include "strips/strip_buttons.h"

#include "controls/picture.h"
#include "strips/channel_strip.h"
#include "strips/name_zoom.h"
#include "strips/shared_state.h"

namespace {

constexpr std::uint8_t kDestinationLine = 255;

bool takesPartInSolo(const ChannelStrip* s) { return s->Kind() == StripKind::PlaySource && s->Bound(); }

}  // namespace

bool anySoloed(const std::vector<ChannelStrip*>& strips) {
    for (const ChannelStrip* s : strips)
        if (s->Kind() == StripKind::PlaySource && s->SoloOn()) return true;
    return false;
}

void soloMouseDown(SharedState& state, const std::vector<ChannelStrip*>& strips, ChannelStrip* strip) {
    const ChangeGuard::Hold writing = state.ChangeGuard.hold();
    if (strip->SoloOn()) {
        strip->SetSoloOn(false);
        for (ChannelStrip* other : strips)
            if (other != strip && takesPartInSolo(other)) other->SetMuteOn(other->MuteMemory() == 1);
        // The strip keeps sounding (or whatever its user chose during the
        // solo); its memory follows, or a later un-solo would mute it again.
        strip->SetMuteMemory(strip->MuteOn() ? 1 : 0);
    } else {
        // The mute memories stay as they are: the users' choices outlive the solo.
        strip->SetMuteOn(false);
        strip->SetSoloOn(true);
        for (ChannelStrip* other : strips) {
            if (other == strip || other->Kind() != StripKind::PlaySource) continue;
            other->SetSoloOn(false);  // hidden strips too: one solo at a time
            if (other->Bound()) other->SetMuteOn(true);
        }
    }
    for (ChannelStrip* other : strips)
        if (takesPartInSolo(other)) other->WriteLeft();
}

void rememberMuteStates(const std::vector<ChannelStrip*>& strips) {
    if (anySoloed(strips)) return;
    for (ChannelStrip* s : strips)
        if (takesPartInSolo(s)) s->SetMuteMemory(s->MuteOn() ? 1 : 0);
}

void ChannelStrip::AttachButtons(int number) {
    for (TPicture* vu : {vuL_, vuR_})
        vu->OnMouseDown = [this](TPicture*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            // The VU window meters this line (a soloed playback strip
            // through its destination line).
            SharedState& s = state_;
            s.MeterDestIndex = static_cast<std::uint8_t>(Dest());
            s.MeterSourceIndex = Conn() < 0 || SoloOn() ? kDestinationLine : static_cast<std::uint8_t>(Conn());
            s.MeterChannelName = Name();
            emit meterChosen(this);
        };
    NameZoom::Rules rules;
    rules.stretchLabel = number >= 3;
    if (row.kind == StripKind::Rec) {
        rules.raise = false;
    } else {
        rules.growLeft = number >= 6;
        rules.raise = true;
    }
    new NameZoom(namePanel_, nameLabel_, rules);
}

void ChannelStrip::ShowMeterFace(bool right, const QPixmap& face) { (right ? vuR_ : vuL_)->SetPicture(face); }
