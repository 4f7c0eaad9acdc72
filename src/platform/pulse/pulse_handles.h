#pragma once
// Owning handles for libpulse objects. Each gives its object back the way
// libpulse wants it given back, callbacks first, so that nothing calls into
// an owner that has gone.

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>

#include <memory>

struct PulseOperationUnref {
    void operator()(pa_operation* o) const { pa_operation_unref(o); }
};
using PulseOperationPtr = std::unique_ptr<pa_operation, PulseOperationUnref>;

// A request whose answer comes through its callback: the operation itself
// is not kept. False when libpulse refused to send it.
inline bool sent(pa_operation* o) { return PulseOperationPtr(o) != nullptr; }

struct PulseProplistFree {
    void operator()(pa_proplist* p) const { pa_proplist_free(p); }
};
using PulseProplistPtr = std::unique_ptr<pa_proplist, PulseProplistFree>;

struct PulseContextRelease {
    void operator()(pa_context* c) const {
        pa_context_set_state_callback(c, nullptr, nullptr);
        pa_context_set_subscribe_callback(c, nullptr, nullptr);
        pa_context_disconnect(c);  // nothing for one that has failed
        pa_context_unref(c);
    }
};
using PulseContextPtr = std::unique_ptr<pa_context, PulseContextRelease>;

// A record stream. One still being made cannot be disconnected yet (libpulse
// refuses), and the server would go on sending to it: it is handed to a
// state callback that disconnects it once made and then lets it go.
struct PulseStreamRelease {
    void operator()(pa_stream* s) const;
};
using PulseStreamPtr = std::unique_ptr<pa_stream, PulseStreamRelease>;

inline void PulseStreamRelease::operator()(pa_stream* s) const {
    pa_stream_set_read_callback(s, nullptr, nullptr);
    if (pa_stream_get_state(s) == PA_STREAM_CREATING) {
        // Our reference goes with the callback.
        pa_stream_set_state_callback(
            s,
            [](pa_stream* made, void*) {
                switch (pa_stream_get_state(made)) {
                    case PA_STREAM_READY:
                        pa_stream_disconnect(made);  // comes back here as terminated
                        break;
                    case PA_STREAM_FAILED:
                    case PA_STREAM_TERMINATED:
                        pa_stream_set_state_callback(made, nullptr, nullptr);
                        pa_stream_unref(made);
                        break;
                    default:
                        break;
                }
            },
            nullptr);
        return;
    }
    pa_stream_set_state_callback(s, nullptr, nullptr);
    if (pa_stream_get_state(s) == PA_STREAM_READY) pa_stream_disconnect(s);
    pa_stream_unref(s);
}
