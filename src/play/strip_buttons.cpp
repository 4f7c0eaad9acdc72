#include "play/strip_buttons.h"

#include "app/app_context.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "meter/vu_window.h"
#include "play/channel_strip.h"
#include "play/name_zoom.h"

#include <QLabel>

namespace {

constexpr std::uint8_t kDestinationLine = 255;

bool takesPartInSolo(const ChannelStrip* s) { return s->row.kind == StripKind::PlaySource && s->Bound(); }

bool soloed(const ChannelStrip* s) { return s->solo && s->solo->Color() == kLime; }

}  // namespace

bool anySoloed(const std::vector<ChannelStrip*>& strips) {
    for (const ChannelStrip* s : strips)
        if (takesPartInSolo(s) && soloed(s)) return true;
    return false;
}

void soloMouseDown(AppContext& context, const std::vector<ChannelStrip*>& strips, ChannelStrip* strip) {
    SharedState& s = context.state();
    s.ChangeGuard = 1;
    if (soloed(strip)) {
        ChannelStrip::SetSwitch(strip->solo, false, kLime);
        for (ChannelStrip* other : strips)
            if (other != strip && takesPartInSolo(other))
                ChannelStrip::SetSwitch(other->mute, other->mute->Tag() == 1, kRed);
        // The strip keeps sounding (or whatever its user chose during the
        // solo); its memory follows, or a later un-solo would mute it again.
        strip->mute->SetTag(strip->mute->Color() == kRed ? 1 : 0);
    } else {
        // The mute memories stay as they are: the users' choices outlive the solo.
        ChannelStrip::SetSwitch(strip->mute, false, kRed);
        ChannelStrip::SetSwitch(strip->solo, true, kLime);
        for (ChannelStrip* other : strips) {
            if (other == strip || !takesPartInSolo(other)) continue;
            ChannelStrip::SetSwitch(other->solo, false, kLime);
            ChannelStrip::SetSwitch(other->mute, true, kRed);
        }
    }
    for (ChannelStrip* other : strips)
        if (takesPartInSolo(other)) other->WriteLeft();
    s.ChangeGuard = 0;
}

void rememberMuteStates(const std::vector<ChannelStrip*>& strips) {
    if (anySoloed(strips)) return;
    for (ChannelStrip* s : strips)
        if (takesPartInSolo(s)) s->mute->SetTag(s->mute->Color() == kRed ? 1 : 0);
}

void vuImageMouseDown(AppContext& context, ChannelStrip* strip) {
    SharedState& s = context.state();
    const bool play = strip->row.kind != StripKind::Rec;
    s.MeterDestIndex = play ? s.PlayDestIndex : s.RecDestIndex;
    if (strip->Conn() < 0 || soloed(strip))
        s.MeterSourceIndex = kDestinationLine;
    else
        s.MeterSourceIndex = static_cast<std::uint8_t>(strip->Conn());
    s.MeterChannelName = strip->nameLabel->text();
    if (TForm2* vu = context.Form2()) vu->show();
}

void ChannelStrip::AttachButtons(int number) {
    for (TPicture* vu : {vuL, vuR})
        vu->OnMouseDown = [this](TPicture*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            vuImageMouseDown(context_, this);
        };
    NameZoom::Rules rules;
    rules.stretchLabel = number >= 3;
    if (row.kind == StripKind::Rec) {
        rules.raise = false;
    } else {
        rules.growLeft = number >= 6;
        rules.raise = true;
    }
    new NameZoom(namePanel, nameLabel, rules);
}
