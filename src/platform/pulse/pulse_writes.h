#pragma once
// Writes to the server. What a write changes is worked out on a copy of the
// kept levels and kept only once its request is on its way, so that a
// request libpulse refuses leaves the state as it was. The server answers
// writes in the order sent: one it refuses is put back (a later write to the
// same object would have replaced it anyway) and the windows hear of it as of
// any change. When the last write is answered, the objects written are asked
// about afresh (their answers meanwhile were set aside, see PulseMirror).

#include "platform/pulse/pulse_mapping.h"
#include "platform/pulse/pulse_object.h"

#include <QObject>

#include <deque>
#include <optional>
#include <span>
#include <string>

class PulseConnection;
class PulseMirror;

class PulseWrites : public QObject {
    Q_OBJECT
public:
    PulseWrites(PulseConnection& connection, PulseMirror& mirror, QObject* parent = nullptr);

    enum class Result {
        Failed,     // not sent
        Unchanged,  // nothing to send: the values are already so
        Sent,       // on its way, and kept
    };
    // Writes a control's values (levels, mute or the recording choice; not a
    // meter). A value written back as it was read is not sent (see the
    // mapping's rules for levels).
    Result write(const PulseMapping& mapping, const PulseBinding& binding, std::span<const DWORD> values);

    bool inFlight() const { return !writes_.empty(); }
    void clear() { writes_.clear(); }

signals:
    // The server refused a write and the state was put back.
    void refused();

private:
    struct Callbacks;
    // A level or a mute of a sink, a stream or a source.
    Result writeLevels(const PulseBinding& binding, std::span<const DWORD> values);
    // Which recording source is the default.
    Result writeChoice(const PulseMapping& mapping, std::span<const DWORD> values);
    void sending(PulseObject object, std::optional<PulseLevels> levelsBefore,
                 std::optional<std::string> defaultSourceBefore);
    void finished(bool success);

    PulseConnection& connection_;
    PulseMirror& mirror_;
    struct Write {
        PulseObject object;
        std::optional<PulseLevels> levelsBefore;
        std::optional<std::string> defaultSourceBefore;
    };
    std::deque<Write> writes_;  // on their way, in the order sent
};
