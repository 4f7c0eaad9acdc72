#pragma once
// The meter poll: reads the peak meter of the line the VU window shows and
// drives the VU window and the playback master strip's mini-meter.
//
// - The meter scan (button2Click) opens one mixer object per sound card
//   (MeterMixers) and lists every line that has a meter; each scan replaces
//   the list.
// - UpdateMeters runs at most one update per 10 ms, metering the chosen line
//   on the card in use, nothing else. Where the card says when its meters
//   move (a sound server sends peaks 25 times a second), an update follows
//   each report: the display moves with what the mixer reports and the
//   program sleeps in between. Elsewhere a timer runs it every 10 ms.
//   Either way the card is asked for values as often as a meter on the
//   screen needs them (10 ms), or every kHiddenMs while nothing shows one,
//   for the held peaks and the over-peak log.
// - A pass swaps prepared pictures and toggles lamps; nothing is drawn.

#include <QObject>
#include <QPixmap>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ChannelStrip;
class QTimer;
class QWidget;
class TAudioMixer;
class TForm2;
class TTwoDigitEdit;
struct SharedState;

// One row of the meter list: a line with a meter.
struct MeterListRow {
    QString caption;  // the line's name
    int card;         // sound card index, and entry of MeterMixers
    int dest;         // destination index
    int source;       // source index within the destination, -1 the destination line
    int control;      // the line's control read as a presence test
};

class MeterPoll : public QObject {
    Q_OBJECT
public:
    static constexpr int kThrottleMs = 10;
    // Cadence while nothing shows a meter. A pass with nothing to draw costs
    // up to 0.4 ms of a core, wake-up and cold caches included, so 10 ms
    // would keep several % of a core busy for nobody; at 500 ms it is under
    // 0.1 %. What runs hidden needs no more: over-peak entries are stamped
    // to the second, the over-peak icons stay lit 2 s and held peaks 5 s,
    // and a card that measures peaks measures each over the whole 500 ms.
    static constexpr int kHiddenMs = 500;
    static constexpr int kMaxCards = 10;

    // Mixer is the playback window's main mixer object (re-selected on the
    // card in use every pass); master is its master strip, whose VU images
    // become the mini-meter.
    MeterPoll(SharedState& state, TAudioMixer& Mixer, ChannelStrip& master, TForm2& vu, QObject* parent = nullptr);
    ~MeterPoll() override;

    // The meter scan ("peaker"): after the initialisation and on each click
    // of the VU tray icon.
    void button2Click();

    // One pass of the poll; the timer or the card's reports run it.
    void UpdateMeters();
    // A pass as soon as the throttle lets one through: the line metered
    // changed, or something that shows it came up.
    void RequestUpdate();

    const std::vector<MeterListRow>& MeterList() const { return rows_; }
    // Entry k: a mixer object on card k, null past the cards scanned.
    TAudioMixer* MeterMixers(int k) const;
    std::int64_t LastMeterTick() const { return lastMeterTick_; }
    // Runs once a scan was made on a card that does not report its meters:
    // 10 ms while a meter shows, kHiddenMs else.
    const QTimer* Timer() const { return timer_; }

    // The millisecond clock (steady); tests step their own.
    using TickSource = std::function<std::int64_t()>;
    void SetTickSource(TickSource tick) { tick_ = std::move(tick); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ReadPresence(TAudioMixer& mixer, const MeterListRow& row, int& channels) const;
    void Display(int left, std::optional<int> right);
    void UpdateRunning();
    void MetersChanged(unsigned device);
    bool UpdatePending() const;
    std::int64_t ThrottleWait() const;  // ms until the throttle lets an update through

    SharedState& state_;
    TAudioMixer& mixer_;
    ChannelStrip& master_;
    TForm2& vu_;
    QWidget* masterMeter_;             // the master strip's left VU image
    QWidget* noPeakLabel_;             // the master strip's "No Peak" label, when the window has one
    const TTwoDigitEdit* masterLeft_;  // the master strip's left read-out
    int storedMasterLeft_ = 0;         // that read-out / 99 at the previous update
    std::array<std::unique_ptr<TAudioMixer>, kMaxCards + 1> meterMixers_;
    std::vector<MeterListRow> rows_;
    std::int64_t lastMeterTick_ = 0;
    bool scanned_ = false;
    std::array<QPixmap, 11> miniFaces_;
    QTimer* timer_;
    QTimer* throttle_;  // a report that came too soon is served when the throttle allows
    TickSource tick_;
};
