#pragma once
// The server's state as this program keeps it (PulseServerState), kept in
// line with the server: the four lists loaded once connected, then one
// question about each object the server says has changed, at most one on
// its way per object (a storm of changes from another program is answered
// by one more question once the answer lands). Objects this program is
// writing keep the levels written until told otherwise: the answers meanwhile
// would show older ones.

#include "platform/pulse/pulse_mapping.h"
#include "platform/pulse/pulse_object.h"

#include <QObject>

#include <map>
#include <set>

class PulseConnection;

class PulseMirror : public QObject {
    Q_OBJECT
public:
    explicit PulseMirror(PulseConnection& connection, QObject* parent = nullptr);

    const PulseServerState& state() const { return state_; }
    // A write changes the state ahead of the server's answer.
    PulseServerState& state() { return state_; }
    // The levels kept for an object, or null when it is gone.
    PulseLevels* levelsOf(PulseObject object);

    // The first lists are all in.
    bool loaded() const { return loaded_ && pendingLoads_ == 0; }
    // Loads the four lists afresh (once connected).
    void load();
    // Forgets everything (the server is gone).
    void clear();

    // Keeps the object's levels as written until askAgain().
    void hold(PulseObject object) { held_.insert(object); }
    // The writes are answered: every object held is asked about afresh.
    void askAgain();

    enum class When { Now, ThisTurn };
signals:
    // The state changed: an object went (Now), or answers came that one
    // update in this turn of the event loop can take together (ThisTurn).
    // Also Now once the first lists are all in.
    void changed(PulseMirror::When when);

private:
    struct Callbacks;
    void onEvent(unsigned type, std::uint32_t index);
    void loadDone();
    void ask(PulseObject object);
    void answered(PulseObject object);
    void query(PulseObject object);
    bool keepsLevels(PulseObject object) const { return held_.count(object) != 0; }

    PulseConnection& connection_;
    PulseServerState state_;
    bool loaded_ = false;
    int pendingLoads_ = 0;
    std::map<PulseObject, bool> asking_;  // questions on their way; true: changed again meanwhile
    std::set<PulseObject> held_;
};
