#pragma once
// Peak meters: record streams with PA_STREAM_PEAK_DETECT (float, mono; the
// sample rate is the number of peaks a second, each the loudest over its
// time) on a sink's monitor source, on the monitor of one application
// stream, or on the default source.
//
// Which meters have a stream:
// - Only meters that are read. The meter read last (through any device)
//   is followed: it keeps its meter with nobody reading it, as a silent
//   meter is not reported and so not read, and only its stream can tell
//   when sound starts. Another meter keeps a stream it has for kIdle after
//   its last read, and gets none.
// - Only while something plays there: a sink's meter while a stream that
//   is not corked plays to it, a stream's meter while it is not corked.
//   Otherwise the meter rests at 0, and nothing wakes up for it: the meter
//   followed keeps its stream corked (see wait()), the others have none;
//   the stream runs again once the server says a stream plays. A source's
//   meter (the recording line) runs while it is read.
// A meter with no data for three batches (at least 300 ms) reads 0 (a
// suspended sink sends none). A stream closed while the server is still
// making it is disconnected once made (see PulseStreamRelease).

#include "platform/mixer_driver.h"
#include "platform/pulse/pulse_handles.h"
#include "platform/pulse/pulse_mapping.h"
#include "platform/pulse/pulse_object.h"

#include <QObject>

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

class PulseConnection;
class QTimer;

class PulseMeters : public QObject {
    Q_OBJECT
public:
    PulseMeters(PulseConnection& connection, const PulseServerState& state, QObject* parent = nullptr);
    ~PulseMeters() override;

    // A meter's value read through a device; the meter is followed from now on.
    DWORD read(DeviceKey reader, const PulseBinding& binding);
    // The server's state changed: streams open where something started to
    // play and close where it stopped (in the next turn of the event loop).
    void stateChanged() { scheduleRefresh(); }
    // Peaks a second, at most kRate; zero interval: nobody reads meters now.
    void setInterval(std::chrono::milliseconds interval);
    // Closes every stream and forgets every meter (the server is gone).
    void clear();

    static constexpr std::uint32_t kRate = 25;
    static constexpr std::chrono::milliseconds kIdle{3000};

    int streams() const;         // streams that carry peaks
    int waitingStreams() const;  // corked streams, waiting for sound
    std::uint32_t rate() const { return rate_; }

signals:
    // A meter read through this device moved, or fell silent.
    void moved(DeviceKey reader);

private:
    struct Meter;
    struct Callbacks;
    // The stream a binding's meter wants, now.
    struct Target {
        PulseObject object;
        std::string source;                             // the server's source it records from
        std::uint32_t monitorInput = PA_INVALID_INDEX;  // for a stream's meter: that stream
        bool plays = false;
    };
    std::optional<Target> targetOf(const PulseBinding& binding) const;
    bool followed(const Meter& m) const;
    void scheduleRefresh();
    void refresh();
    bool open(Meter& m, bool corked);
    void cork(Meter& m, bool corked);
    void wait(Meter& m);
    void rest(Meter& m);
    void data(Meter& m);
    void say(Meter& m, DWORD value);  // reports the meter's value if it changed
    void report(DeviceKey reader);
    void sendReports();
    void reap();
    std::chrono::milliseconds stale() const;

    PulseConnection& connection_;
    const PulseServerState& state_;
    std::unordered_map<PulseObject, std::unique_ptr<Meter>> meters_;
    std::optional<PulseObject> followed_;
    std::uint32_t rate_ = kRate;
    bool refreshPosted_ = false;
    std::set<DeviceKey> reportsDue_;  // readers with news, told once per turn
    QTimer* reaper_;
};
