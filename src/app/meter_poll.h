#pragma once
// The meter poll: reads the peak meter of the line the VU window shows and
// drives the VU window and the playback master strip's mini-meter.
//
// - The meter scan (button2Click) opens one mixer object per sound card
//   (MeterMixers) and lists every line that has a meter; each scan replaces
//   the list.
// - UpdateMeters runs from a 10 ms timer, at most one update per 10 ms,
//   and only while something shows a meter: the VU window, or the master
//   strip's mini-meter on the screen. It meters the chosen line on the card
//   in use, nothing else.
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
    static constexpr int kMaxCards = 10;

    // Mixer is the playback window's main mixer object (re-selected on the
    // card in use every pass); master is its master strip, whose VU images
    // become the mini-meter.
    MeterPoll(SharedState& state, TAudioMixer& Mixer, ChannelStrip& master, TForm2& vu, QObject* parent = nullptr);
    ~MeterPoll() override;

    // The meter scan ("peaker"): after the initialisation and on each click
    // of the VU tray icon.
    void button2Click();

    // One pass of the poll; the timer runs it.
    void UpdateMeters();

    const std::vector<MeterListRow>& MeterList() const { return rows_; }
    // Entry k: a mixer object on card k, null past the cards scanned.
    TAudioMixer* MeterMixers(int k) const;
    std::int64_t LastMeterTick() const { return lastMeterTick_; }
    // Runs while a scan was made and the VU window or the mini-meter shows.
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
    TickSource tick_;
};
