#include "app/meter_poll.h"

#include "app/log.h"
#include "controls/two_digit_edit.h"
#include "meter/meter_levels.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "strips/channel_strip.h"
#include "strips/mini_meter.h"
#include "strips/shared_state.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>

namespace {

std::int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

MeterPoll::MeterPoll(SharedState& state, TAudioMixer& Mixer, ChannelStrip& master, TForm2& vu, QObject* parent)
    : QObject(parent),
      state_(state),
      mixer_(Mixer),
      master_(master),
      vu_(vu),
      miniFaces_(drawMiniMeterFaces()),
      timer_(new QTimer(this)),
      throttle_(new QTimer(this)),
      tick_(steadyMilliseconds) {
    // The strip's widgets are found by their design names in its window.
    auto* window = qobject_cast<QWidget*>(master_.parent());
    const StripNames& n = *master_.row.names;
    masterMeter_ = window ? window->findChild<QWidget*>(QString::fromLatin1(n.vuL)) : nullptr;
    masterLeft_ = window ? window->findChild<TTwoDigitEdit*>(QString::fromLatin1(n.readL)) : nullptr;
    noPeakLabel_ = window ? window->findChild<QWidget*>(QStringLiteral("Label7")) : nullptr;

    timer_->setObjectName(QStringLiteral("MeterTimer"));
    timer_->setInterval(kThrottleMs);
    // Ticks on time, so the 10 ms throttle lets every one of them through.
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &MeterPoll::UpdateMeters);
    throttle_->setSingleShot(true);
    throttle_->setTimerType(Qt::PreciseTimer);
    connect(throttle_, &QTimer::timeout, this, &MeterPoll::UpdateMeters);
    connect(&mixer_.Service(), &MixerService::metersChanged, this, &MeterPoll::MetersChanged);
    // A lamp released or an icon put out is lit again by the next update
    // while the level stays; a meter that does not move has no next update
    // of its own.
    for (QTimer* t : {vu_.Timer1, vu_.Timer2, vu_.Timer3, vu_.Timer4})
        connect(t, &QTimer::timeout, this, &MeterPoll::RequestUpdate);
    vu_.installEventFilter(this);
    if (masterMeter_) masterMeter_->installEventFilter(this);
}

MeterPoll::~MeterPoll() = default;

TAudioMixer* MeterPoll::MeterMixers(int k) const {
    return k >= 0 && k < static_cast<int>(meterMixers_.size()) ? meterMixers_[k].get() : nullptr;
}

void MeterPoll::button2Click() {
    // A new scan replaces the list: the old rows would each be metered again.
    rows_.clear();
    for (auto& m : meterMixers_) m.reset();
    MixerService& service = mixer_.Service();
    meterMixers_[0] = std::make_unique<TAudioMixer>(service);
    mixer_.SetMixerId(state_.MixerIndex);
    const int cards = meterMixers_[0]->MixerCount();
    int k = 0;
    for (; k < kMaxCards && k < cards; ++k) {
        if (k >= 1) {
            meterMixers_[k] = std::make_unique<TAudioMixer>(service);
            meterMixers_[k]->SetMixerId(k);
        }
        TAudioMixer& m = *meterMixers_[k];
        const TMixerDestinations* list = m.Destinations();
        for (int d = 0; list && d < list->Count(); ++d) {
            const TMixerDestination* dest = list->Items(d);
            for (int j = -1; j < dest->Connections.Count(); ++j) {
                int l = 0, r = 0;
                if (!m.GetLineMeter(d, j, l, r)) continue;
                const MIXERLINE& line = j < 0 ? dest->LineInfo : dest->Connections.Items(j)->LineInfo;
                rows_.push_back(
                    {QString::fromLocal8Bit(line.szName, qstrnlen(line.szName, MIXER_LONG_NAME_CHARS)), k, d, j, 0});
            }
        }
    }
    if (cards >= 1)
        meterMixers_[k].reset();
    else
        meterMixers_[0].reset();
    // A line that comes or goes (a stream starting) may be the one metered:
    // reading it is what opens a reported meter, and it would not be read
    // before the next report of a meter already open.
    for (auto& m : meterMixers_)
        if (m) m->OnLineChange = [this](TAudioMixer*, int, int) { RequestUpdate(); };
    qCDebug(lcMeter) << "meter scan:" << rows_.size() << "lines with a meter on" << cards << "cards";
    lastMeterTick_ = 0;
    scanned_ = true;
    UpdateRunning();
}

bool MeterPoll::ReadPresence(TAudioMixer& mixer, const MeterListRow& row, int& channels) const {
    const MIXERLINE* line = mixer.LineInfoAt(row.dest, row.source);
    const TMixerControls* controls = mixer.ControlsAt(row.dest, row.source);
    if (!line || !controls || row.control < 0 || row.control >= controls->Count()) return false;
    const MIXERCONTROL& c = controls->Items(row.control);
    const DWORD items = (c.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? c.cMultipleItems : 0;
    // Whatever the control is (a selector of many items comes first on some
    // lines), the read gets room for all its values.
    std::vector<DWORD> values(std::size_t(line->cChannels ? line->cChannels : 1) * (items ? items : 1));
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof(MIXERCONTROLDETAILS);
    d.dwControlID = c.dwControlID;
    d.cChannels = line->cChannels;
    d.cMultipleItems = items;
    d.cbDetails = sizeof(DWORD);
    d.paDetails = values.data();
    channels = static_cast<int>(line->cChannels);
    return mixer.Service().mixerGetControlDetailsA(mixer.MixerHandle(), &d, MIXER_GETCONTROLDETAILSF_VALUE) ==
           MMSYSERR_NOERROR;
}

void MeterPoll::UpdateMeters() {
    // Reopened every pass, as the windows keep only indices into the card.
    // A card that went away stays closed for the controller to see.
    if (!mixer_.DeviceGone()) mixer_.SetMixerId(state_.MixerIndex);
    const std::int64_t now = tick_();
    if (lastMeterTick_ + kThrottleMs > now) return;
    lastMeterTick_ = now;

    // Only the chosen line, on the card in use.
    const int card = state_.MixerIndex;
    const int dest = state_.MeterDestIndex;
    const int source = static_cast<std::int8_t>(state_.MeterSourceIndex);  // 255: the destination line
    TAudioMixer* m = MeterMixers(card);
    if (!m) return;
    // The rows of the card are walked in order: the first whose control
    // reads lets the chosen line's meter be read, and that reading is shown
    // once per update. A row that does not read passes the turn on.
    for (const MeterListRow& row : rows_) {
        if (row.card != card) continue;
        int channels = 0;
        if (!ReadPresence(*m, row, channels)) continue;
        int left = 0, right = 0;
        if (!m->GetLineMeter(dest, source, left, right)) return;  // the same line on every row: no meter
        // The row's line says whether there is a right side: a mono meter
        // read on a stereo row shows on both.
        Display(vu::meterLevel(left), channels > 1 ? std::optional<int>(vu::meterLevel(right)) : std::nullopt);
        return;
    }
}

bool MeterPoll::UpdatePending() const { return timer_->isActive() || throttle_->isActive(); }

std::int64_t MeterPoll::ThrottleWait() const { return lastMeterTick_ + kThrottleMs - tick_(); }

void MeterPoll::RequestUpdate() {
    // The timer, where it runs, comes within 10 ms anyway. Otherwise the
    // update runs from the event loop, never inside the caller's sequence.
    if (!scanned_ || rows_.empty() || UpdatePending()) return;
    throttle_->start(static_cast<int>(std::max<std::int64_t>(ThrottleWait(), 0)));
}

void MeterPoll::MetersChanged(unsigned device) {
    if (device != state_.MixerIndex) return;
    // Reports come from the event loop: served at once when the throttle
    // allows, which saves waking up again for it.
    if (scanned_ && !rows_.empty() && !UpdatePending() && ThrottleWait() <= 0)
        UpdateMeters();
    else
        RequestUpdate();
}

void MeterPoll::Display(int left, std::optional<int> right) {
    // The master strip's "No Peak" label goes once its left read-out stood
    // at the top at the previous update.
    if (noPeakLabel_ && storedMasterLeft_ > 0) noPeakLabel_->hide();
    storedMasterLeft_ = masterLeft_ ? masterLeft_->Value() / 99 : 0;
    master_.ShowMeterFace(false, miniFaces_[vu::faceFor(left)]);
    if (right) master_.ShowMeterFace(true, miniFaces_[vu::faceFor(*right)]);
    vu_.ShowLevels(left, right);
}

void MeterPoll::UpdateRunning() {
    MixerService& service = mixer_.Service();
    // A card without meters has nothing to poll.
    if (!scanned_ || rows_.empty()) {
        timer_->stop();
        throttle_->stop();
        service.setMeterInterval(std::chrono::milliseconds(0));
        return;
    }
    // Hidden, the poll keeps the held peaks and the over-peak log going at a
    // cadence that costs next to nothing; a meter on the screen gets every
    // 10 ms at once.
    const bool shown = vu_.isVisible() || (masterMeter_ && masterMeter_->isVisible());
    const int interval = shown ? kThrottleMs : kHiddenMs;
    service.setMeterInterval(std::chrono::milliseconds(interval));
    if (service.metersReported()) {
        timer_->stop();
        // Whatever shows or hides, and after a scan, the level as it is
        // now, moving or not.
        RequestUpdate();
        return;
    }
    if (timer_->interval() != interval || !timer_->isActive()) {
        timer_->setTimerType(shown ? Qt::PreciseTimer : Qt::CoarseTimer);
        timer_->start(interval);
    }
}

bool MeterPoll::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) UpdateRunning();
    return QObject::eventFilter(watched, event);
}
