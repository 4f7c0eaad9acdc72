// Wiring of the windows, the reaction to changes made outside the program
// and to cards coming and going, and the end of the splash phase.

#include "app/mixer_controller.h"

#include "app/colour_schemes.h"
#include "app/log.h"
#include "app/meter_poll.h"
#include "app/splash.h"
#include "app/user_messages.h"
#include "config/channel_dialog.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <optional>

MixerController::MixerController(SharedState& state, UserMessages& messages, Windows windows, QObject* parent)
    : QObject(parent),
      state_(state),
      messages_(messages),
      w_(windows),
      schemes_(std::make_unique<ColourSchemes>(w_.play, w_.rec, w_.vu, w_.dialog)),
      poll_(std::make_unique<MeterPoll>(state, *w_.play.Mixer, *w_.play.strips().front(), w_.vu)) {
    TForm1& play = w_.play;
    // Our own writes come back from the card as notifications: they tell us
    // nothing we do not show already.
    for (TAudioMixer* mixer : {play.Mixer, play.Mixer1, w_.rec.Mixer}) mixer->SetIgnoreEchoes(true);
    play.Mixer->OnControlChange = [this](TAudioMixer* s, int h, int id) { MixerControlChange(s, h, id); };
    play.Mixer1->OnControlChange = [this](TAudioMixer* s, int h, int id) { Mixer1ControlChange(s, h, id); };
    // The playback window's mixer object tells us of a new card set; the
    // others answer for that set too, though they hear of it after it.
    play.Mixer->OnDevicesChange = [this](TAudioMixer*) { devicesChanged(); };
    // The bound card's set of lines changed (a stream started or ended).
    play.Mixer->OnLineChange = [this](TAudioMixer*, int, int) { requestRebind(); };
    serverState_ = play.Mixer->Service().soundServerState();
    startedWithoutServer_ = serverState_ == SoundServerState::Stopped;
    state_.ChangeGuard.setOnIdle([this] {
        if (rebindWanted_) requestRebind();
        if (refreshWanted_) requestRefresh();
    });

    connect(play.Timer1, &QTimer::timeout, this, &MixerController::Timer1Timer);
    connectWindows();
    connectMenu();
    connect(play.ComboBox1, &QComboBox::activated, this, &MixerController::ComboBox1Change);
    connect(&w_.rec, &Trec::saveRequested, this, &MixerController::saveClick);
    // A strip's VU image: the VU window meters its line, in its window's frame.
    connect(&play, &TForm1::meterRequested, this, [this] {
        w_.vu.ShowForLine(true);
        schemes_->vuFrameFromPlay();
        poll_->RequestUpdate();  // the new line's level, moving or not
    });
    connect(&w_.rec, &Trec::meterRequested, this, [this] {
        w_.vu.ShowForLine(false);
        schemes_->vuFrameFromRec();
        poll_->RequestUpdate();
    });
    w_.vu.UseAnimationSwitch(w_.rec.SmoothShow1);
    connect(&w_.vu, &TForm2::meterScanRequested, poll_.get(), &MeterPoll::button2Click);
    connect(&w_.vu, &TForm2::magnetStopRequested, w_.rec.Timer1, &QTimer::stop);
}

MixerController::~MixerController() { state_.ChangeGuard.setOnIdle({}); }

void MixerController::trace(const QString& text) {
    qCDebug(lcInit).noquote() << text;
    if (!state_.TracesOff) messages_.information(text);
}

void MixerController::FirstInitialisation(ChangeGuard::Hold startUp) {
    SharedState& s = state_;
    s.MixerIndex = 0;
    w_.rec.Mixer->SetMixerId(0);
    w_.play.Mixer->SetMixerId(0);
    Button1Click();
    startUp.release();
    Button5Click();
}

// --- changes made outside ---------------------------------------------------

void MixerController::MixerControlChange(TAudioMixer*, int, int) { requestRefresh(); }

void MixerController::Mixer1ControlChange(TAudioMixer*, int, int) {
    // With one card Mixer1 watches the same card as Mixer.
    if (w_.play.Mixer1->MixerCount() <= 1) return;
    requestRefresh();
}

void MixerController::requestRefresh() {
    refreshWanted_ = true;
    // Under the guard the change waits for it to return to 0.
    if (!state_.ChangeGuard.idle() || refreshPosted_ || ending_) return;
    refreshPosted_ = true;
    QMetaObject::invokeMethod(this, &MixerController::runRequestedRefresh, Qt::QueuedConnection);
}

void MixerController::runRequestedRefresh() {
    refreshPosted_ = false;
    if (!refreshWanted_ || !state_.ChangeGuard.idle() || ending_) return;
    refreshWanted_ = false;
    if (state_.BoundProductName != w_.play.Mixer->ProductName() && !waitingForOutput_) {
        if (deviceLossIsRoutine())
            rebind();
        else
            endForChangedCards();
        return;
    }
    Button5Click();
}

void MixerController::requestRebind() {
    rebindWanted_ = true;
    if (!state_.ChangeGuard.idle() || rebindPosted_ || ending_) return;
    rebindPosted_ = true;
    QMetaObject::invokeMethod(this, &MixerController::runRequestedRebind, Qt::QueuedConnection);
}

void MixerController::runRequestedRebind() {
    rebindPosted_ = false;
    // Under the guard it waits: a drag is never cut off.
    if (!rebindWanted_ || !state_.ChangeGuard.idle() || ending_ || waitingForOutput_) return;
    rebindWanted_ = false;
    rebind();
}

namespace {

// Line ids are 32-bit: this one stands for no line.
constexpr unsigned long kNoLine = ~0ul;

unsigned long lineIdAt(TAudioMixer* mixer, int dest, int conn) {
    const TMixerDestinations* list = mixer->Destinations();
    if (!list || dest < 0 || dest >= list->Count()) return kNoLine;
    const TMixerDestination* d = list->Items(dest);
    if (conn < 0) return d->LineInfo.dwLineID;
    return conn < d->Connections.Count() ? d->Connections.Items(conn)->LineInfo.dwLineID : kNoLine;
}

std::vector<unsigned long> linesOf(TAudioMixer* mixer, int dest) {
    std::vector<unsigned long> ids;
    const TMixerDestinations* list = mixer->Destinations();
    const int count = list && dest >= 0 && dest < list->Count() ? list->Items(dest)->Connections.Count() : -1;
    for (int c = -1; c < count; ++c) ids.push_back(lineIdAt(mixer, dest, c));
    return ids;
}

unsigned long lineAt(const std::vector<unsigned long>& lines, int conn) {
    const std::size_t i = static_cast<std::size_t>(conn + 1);
    return conn >= -1 && i < lines.size() ? lines[i] : kNoLine;
}

// The connection index a line id has now, -1 for the destination, -2 for none.
int connOf(const std::vector<unsigned long>& lines, unsigned long id) {
    if (id == kNoLine) return -2;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == id) return static_cast<int>(i) - 1;
    return -2;
}

}  // namespace

void MixerController::rememberBoundLines() {
    TAudioMixer* mixer = w_.play.Mixer;
    mixer->SetMixerId(state_.MixerIndex);
    playLines_ = linesOf(mixer, state_.PlayDestIndex);
    recLines_ = linesOf(mixer, state_.RecDestIndex);
}

void MixerController::rebind() {
    SharedState& s = state_;
    TForm1& play = w_.play;
    ++rebinds_;
    qCInfo(lcCards) << "the lines of card" << s.MixerIndex << "changed: binding again";
    // What the user set, by line: the strips' indices may shift.
    std::vector<std::pair<unsigned long, bool>> links;
    for (ChannelStrip* strip : play.strips())
        if (strip->Bound()) links.emplace_back(lineAt(playLines_, strip->Conn()), strip->Linked());
    for (ChannelStrip* strip : w_.rec.strips())
        if (strip->Bound()) links.emplace_back(lineAt(recLines_, strip->Conn()), strip->Linked());
    const bool meteringPlay = s.MeterDestIndex == s.PlayDestIndex;
    const int meterConn = static_cast<std::int8_t>(s.MeterSourceIndex);
    const unsigned long meterLine = lineAt(meteringPlay ? playLines_ : recLines_, meterConn);
    const QString meterName = s.MeterChannelName;
    {
        const ChangeGuard::Hold writing = s.ChangeGuard.hold();
        Button1Click();
        auto linkOf = [&links](unsigned long id) {
            for (const auto& [line, linked] : links)
                if (line == id && id != kNoLine) return std::optional<bool>(linked);
            return std::optional<bool>();
        };
        for (ChannelStrip* strip : play.strips())
            if (auto linked = linkOf(lineAt(playLines_, strip->Conn())); strip->Bound() && linked && !*linked)
                strip->SetLinkedLayout(false);
        for (ChannelStrip* strip : w_.rec.strips())
            if (auto linked = linkOf(lineAt(recLines_, strip->Conn())); strip->Bound() && linked && !*linked)
                strip->SetLinkedLayout(false);
        // The VU window goes on metering its line where that line still is.
        const int conn = connOf(meteringPlay ? playLines_ : recLines_, meterLine);
        if (conn != -2) {
            s.MeterDestIndex = meteringPlay ? s.PlayDestIndex : s.RecDestIndex;
            s.MeterSourceIndex = conn < 0 ? 255 : static_cast<std::uint8_t>(conn);
            s.MeterChannelName = meterName;
        }
    }
    refreshWanted_ = false;
    Button5Click();
    poll_->RequestUpdate();
}

bool MixerController::deviceLossIsRoutine() const { return w_.play.Mixer->Service().driver().deviceLossIsRoutine(); }

void MixerController::rebindToFirstDevice() {
    SharedState& s = state_;
    Trec& rec = w_.rec;
    for (int i = 0; i < static_cast<int>(rec.card.size()); ++i) rec.card[i]->setChecked(i == 0);
    {
        const ChangeGuard::Hold writing = s.ChangeGuard.hold();
        s.MixerIndex = 0;
        w_.play.Mixer->SetMixerId(0);
        rec.Mixer->SetMixerId(0);
        Button1Click();
    }
    ++rebinds_;
    refreshWanted_ = false;
    // The device may have gone again before this turn came (the list read
    // here is the one of the last turn): then nothing is shown, and the
    // next device that comes is bound.
    waitingForOutput_ = w_.play.Mixer->MixerId() < 0;
    if (waitingForOutput_) return;
    Button5Click();
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

QString MixerController::outputLost(ServerChange change) {
    TForm1& play = w_.play;
    const QString gone = state_.BoundProductName;
    // A stand-in ("Dummy Output") goes because a real output came: nothing
    // was lost.
    const bool standIn = boundStandIn_;
    for (ChannelStrip* strip : play.strips()) strip->MarkUnbound();
    for (ChannelStrip* strip : w_.rec.strips()) strip->MarkUnbound();
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

void MixerController::endForChangedCards() {
    if (ending_) return;
    ending_ = true;
    messages_.warning(
        QStringLiteral("Your System Sound-Cards has changed outside Tavlo. You have to terminate Tavlo and reload it "
                       "again..."));
    QCoreApplication::exit(0);
}

// --- cards coming and going ----------------------------------------------------

void MixerController::devicesChanged() {
    TForm1& play = w_.play;
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
            if (change == ServerChange::Stopped) messages_.information(serverStoppedNote({}));
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
    } else if (play.Mixer->DeviceGone() && deviceLossIsRoutine()) {
        note = outputLost(change);
        if (waitingForOutput_) {
            if (!note.isEmpty()) messages_.information(note);
            return;
        }
    } else if (play.Mixer->DeviceGone()) {
        // The windows are bound to a card that is no more.
        for (ChannelStrip* strip : play.strips()) strip->MarkUnbound();
        for (ChannelStrip* strip : w_.rec.strips()) strip->MarkUnbound();
        endForChangedCards();
        return;
    }
    // Indices shift; the card in use stays the one bound.
    state_.MixerIndex = static_cast<std::uint8_t>(play.Mixer->MixerId());
    if (play.Mixer1->DeviceGone() || play.Mixer1->MixerId() != std::min(1, play.Mixer1->MixerCount() - 1))
        play.Mixer1->SetMixerId(1);
    nameCardMenu(count);
    showCardMenuItems(count);
    if (!note.isEmpty()) messages_.information(note);
}
