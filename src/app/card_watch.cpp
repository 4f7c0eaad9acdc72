#include "app/card_watch.h"

#include "app/card_setup.h"
#include "app/log.h"
#include "app/meter_poll.h"
#include "app/user_messages.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>

CardWatch::CardWatch(const ControllerScope& scope, CardSetup& setup, MeterPoll& poll)
    : s_(scope), setup_(setup), poll_(poll) {
    TForm1& play = s_.w.play;
    play.Mixer->OnControlChange = [this](TAudioMixer* s, int h, int id) { MixerControlChange(s, h, id); };
    play.Mixer1->OnControlChange = [this](TAudioMixer* s, int h, int id) { Mixer1ControlChange(s, h, id); };
    // The playback window's mixer object tells us of a new card set; the
    // others answer for that set too, though they hear of it after it.
    play.Mixer->OnDevicesChange = [this](TAudioMixer*) { devicesChanged(); };
    // The bound card's set of lines changed (a stream started or ended).
    play.Mixer->OnLineChange = [this](TAudioMixer*, int, int) { requestRebind(); };
    serverState_ = play.Mixer->Service().soundServerState();
    startedWithoutServer_ = serverState_ == SoundServerState::Stopped;
    s_.state.ChangeGuard.setOnIdle([this] {
        if (rebindWanted_) requestRebind();
        if (refreshWanted_) requestRefresh();
    });
}

CardWatch::~CardWatch() { s_.state.ChangeGuard.setOnIdle({}); }

// --- changes made outside ---------------------------------------------------

void CardWatch::MixerControlChange(TAudioMixer*, int, int) { requestRefresh(); }

void CardWatch::Mixer1ControlChange(TAudioMixer*, int, int) {
    // With one card Mixer1 watches the same card as Mixer.
    if (s_.w.play.Mixer1->MixerCount() <= 1) return;
    requestRefresh();
}

void CardWatch::requestRefresh() {
    refreshWanted_ = true;
    // Under the guard the change waits for it to return to 0.
    if (!s_.state.ChangeGuard.idle() || refreshPosted_ || ending_) return;
    refreshPosted_ = true;
    QMetaObject::invokeMethod(this, &CardWatch::runRequestedRefresh, Qt::QueuedConnection);
}

void CardWatch::runRequestedRefresh() {
    refreshPosted_ = false;
    if (!refreshWanted_ || !s_.state.ChangeGuard.idle() || ending_) return;
    refreshWanted_ = false;
    if (s_.state.BoundProductName != s_.w.play.Mixer->ProductName() && !waitingForOutput_) {
        if (s_.w.play.Mixer->DeviceLossIsRoutine())
            rebind();
        else
            endForChangedCards();
        return;
    }
    setup_.Button5Click();  // the strips read from the card
}

void CardWatch::requestRebind() {
    rebindWanted_ = true;
    if (!s_.state.ChangeGuard.idle() || rebindPosted_ || ending_) return;
    rebindPosted_ = true;
    QMetaObject::invokeMethod(this, &CardWatch::runRequestedRebind, Qt::QueuedConnection);
}

void CardWatch::runRequestedRebind() {
    rebindPosted_ = false;
    // Under the guard it waits: a drag is never cut off.
    if (!rebindWanted_ || !s_.state.ChangeGuard.idle() || ending_ || waitingForOutput_) return;
    rebindWanted_ = false;
    rebind();
}

void CardWatch::rebind() {
    // Live: the binding below records the new lines in it.
    const BoundLines& lines = setup_.boundLines();
    SharedState& s = s_.state;
    TForm1& play = s_.w.play;
    ++rebinds_;
    qCInfo(lcCards) << "the lines of card" << s.MixerIndex << "changed: binding again";
    // What the user set, by line: the strips' indices may shift.
    std::vector<std::pair<unsigned long, bool>> links;
    for (ChannelStrip* strip : play.strips())
        if (strip->Bound()) links.emplace_back(BoundLines::at(lines.play, strip->Conn()), strip->Linked());
    for (ChannelStrip* strip : s_.w.rec.strips())
        if (strip->Bound()) links.emplace_back(BoundLines::at(lines.rec, strip->Conn()), strip->Linked());
    const bool meteringPlay = s.MeterDestIndex == s.PlayDestIndex;
    const int meterConn = static_cast<std::int8_t>(s.MeterSourceIndex);
    const unsigned long meterLine = BoundLines::at(meteringPlay ? lines.play : lines.rec, meterConn);
    const QString meterName = s.MeterChannelName;
    {
        const ChangeGuard::Hold writing = s.ChangeGuard.hold();
        setup_.Button1Click();  // both windows rebuilt for the card
        auto linkOf = [&links](unsigned long id) {
            for (const auto& [line, linked] : links)
                if (line == id && id != BoundLines::kNoLine) return std::optional<bool>(linked);
            return std::optional<bool>();
        };
        for (ChannelStrip* strip : play.strips())
            if (auto linked = linkOf(BoundLines::at(lines.play, strip->Conn())); strip->Bound() && linked && !*linked)
                strip->SetLinkedLayout(false);
        for (ChannelStrip* strip : s_.w.rec.strips())
            if (auto linked = linkOf(BoundLines::at(lines.rec, strip->Conn())); strip->Bound() && linked && !*linked)
                strip->SetLinkedLayout(false);
        // The VU window goes on metering its line where that line still is.
        const int conn = BoundLines::connOf(meteringPlay ? lines.play : lines.rec, meterLine);
        if (conn != -2) {
            s.MeterDestIndex = meteringPlay ? s.PlayDestIndex : s.RecDestIndex;
            s.MeterSourceIndex = conn < 0 ? 255 : static_cast<std::uint8_t>(conn);
            s.MeterChannelName = meterName;
        }
    }
    refreshWanted_ = false;
    setup_.Button5Click();  // the strips read from the card
    poll_.RequestUpdate();
}

void CardWatch::unbindAll() {
    for (ChannelStrip* strip : s_.w.play.strips()) strip->MarkUnbound();
    for (ChannelStrip* strip : s_.w.rec.strips()) strip->MarkUnbound();
}

void CardWatch::rebindToFirstDevice() {
    SharedState& s = s_.state;
    Trec& rec = s_.w.rec;
    rec.checkCard(0);
    {
        const ChangeGuard::Hold writing = s.ChangeGuard.hold();
        s.MixerIndex = 0;
        s_.w.play.Mixer->SetMixerId(0);
        rec.Mixer->SetMixerId(0);
        setup_.Button1Click();  // both windows rebuilt for the card
    }
    ++rebinds_;
    refreshWanted_ = false;
    // The device may have gone again before this turn came (the list read
    // here is the one of the last turn): then nothing is shown, and the
    // next device that comes is bound.
    waitingForOutput_ = s_.w.play.Mixer->MixerId() < 0;
    if (waitingForOutput_) return;
    setup_.Button5Click();  // the strips read from the card
}

namespace {

// What the user is told when the devices shown go. One box each time.
QString serverStoppedNote(const QString& shown) {
    if (shown.isEmpty())
        return QStringLiteral("The sound server stopped. Tavlo shows its outputs again when it comes back.");
    return QStringLiteral("The sound server stopped. Tavlo now shows \"%1\".").arg(shown);
}

QString serverStartedNote(const QString& shown) {
    return QStringLiteral("The sound server started. Tavlo now shows \"%1\".").arg(shown);
}

}  // namespace

QString CardWatch::outputLost(ServerChange change) {
    TForm1& play = s_.w.play;
    const QString gone = s_.state.BoundProductName;
    // A stand-in ("Dummy Output") goes because a real output came: nothing
    // was lost.
    const bool standIn = setup_.boundStandIn();
    unbindAll();
    if (play.Mixer->MixerCount() >= 1)
        rebindToFirstDevice();
    else
        waitingForOutput_ = true;
    if (waitingForOutput_) {
        // Nothing left to show: the first output that comes is bound then.
        if (change == ServerChange::Stopped) return serverStoppedNote({});
        if (standIn) return {};
        return QStringLiteral(
                   "The sound output \"%1\" is gone and no other is left. Tavlo shows the next one that comes.")
            .arg(gone);
    }
    const QString shown = play.Mixer->ProductName();
    if (change == ServerChange::Stopped) return serverStoppedNote(shown);
    if (change == ServerChange::Started) return serverStartedNote(shown);
    if (standIn) return {};
    return QStringLiteral("The sound output \"%1\" is gone. Tavlo now shows \"%2\".").arg(gone, shown);
}

void CardWatch::endForChangedCards() {
    if (ending_) return;
    ending_ = true;
    s_.messages.warning(
        QStringLiteral("Your System Sound-Cards has changed outside Tavlo. You have to terminate Tavlo and reload it "
                       "again..."));
    QCoreApplication::exit(0);
}

// --- cards coming and going ----------------------------------------------------

void CardWatch::devicesChanged() {
    TForm1& play = s_.w.play;
    const int count = play.Mixer->MixerCount();
    // A sound server that stops or starts takes or brings all of its
    // devices at once: that is what the user hears of, not each device.
    const SoundServerState server = play.Mixer->Service().soundServerState();
    qCInfo(lcCards).nospace() << "sound cards now: " << count
                              << (server == SoundServerState::Running   ? ", the sound server runs"
                                  : server == SoundServerState::Stopped ? ", no sound server"
                                                                        : "")
                              << (waitingForOutput_ ? ", none shown" : "")
                              << (play.Mixer->DeviceGone() ? ", the one shown went" : "");
    const ServerChange change =
        serverState_ == SoundServerState::Running && server == SoundServerState::Stopped   ? ServerChange::Stopped
        : serverState_ == SoundServerState::Stopped && server == SoundServerState::Running ? ServerChange::Started
                                                                                           : ServerChange::None;
    serverState_ = server;
    QString note;  // said once everything is in place
    // Nothing bound since start-up (no device then): the first one that comes is.
    const bool neverBound = play.Mixer->MixerId() < 0 && !play.Mixer->DeviceGone() && !waitingForOutput_;
    if (waitingForOutput_ || neverBound) {
        if (count < 1) {
            // Nothing was shown, but the server going is still worth a word.
            if (change == ServerChange::Stopped) s_.messages.information(serverStoppedNote({}));
            return;
        }
        waitingForOutput_ = false;
        rebindToFirstDevice();
        if (waitingForOutput_) {
            // Gone again meanwhile: as before, wait for the next one.
            waitingForOutput_ = !neverBound;
            return;
        }
        // A server that comes back after it stopped shows in the windows; one
        // that comes to a program that started without it is said.
        if (neverBound && startedWithoutServer_ && server == SoundServerState::Running)
            note = serverStartedNote(play.Mixer->ProductName());
        startedWithoutServer_ = false;
    } else if (play.Mixer->DeviceGone() && s_.w.play.Mixer->DeviceLossIsRoutine()) {
        note = outputLost(change);
        if (waitingForOutput_) {
            if (!note.isEmpty()) s_.messages.information(note);
            return;
        }
    } else if (play.Mixer->DeviceGone()) {
        // The windows are bound to a card that is no more.
        unbindAll();
        endForChangedCards();
        return;
    }
    // Indices shift; the card in use stays the one bound.
    s_.state.MixerIndex = static_cast<std::uint8_t>(play.Mixer->MixerId());
    if (play.Mixer1->DeviceGone() || play.Mixer1->MixerId() != std::min(1, play.Mixer1->MixerCount() - 1))
        play.Mixer1->SetMixerId(1);
    setup_.nameCardMenu(count);
    setup_.showCardMenuItems(count);
    if (!note.isEmpty()) s_.messages.information(note);
}
