/* storm: changes a playback volume from outside at a fixed rate, as another
 * mixer (or a script) would, for bench/peers.sh.
 *
 *   storm DEVICE ELEMENT RATE SECONDS
 *   storm pulse-sink NAME RATE SECONDS
 *
 * Sets ELEMENT's playback volume on ALSA mixer DEVICE (each write waits
 * for the device: the ALSA pulse plugin takes milliseconds per write), or
 * the volume of PulseAudio sink NAME through libpulse (requests sent
 * without waiting for each answer, as a desktop's volume keys or a second
 * mixer do), RATE times a second for SECONDS, each value different from
 * the one before, on an absolute schedule (a late write is not made up by
 * a burst). Prints "sets N seconds S rate R last_value V last_percent P
 * last_ms T slowest_ms M": T is the wall-clock time (ms since the epoch)
 * the last write was in force (its answer came), P the last value in
 * percent of the range, M the slowest single write (ALSA) or the longest
 * wait for the last answer after the last request (PulseAudio).
 */
#define _GNU_SOURCE
#include <alsa/asoundlib.h>
#ifdef STORM_PULSE
#include <pulse/pulseaudio.h>
#endif

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double ms(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

/* Sleeps until the next slot of an absolute schedule. */
static void nextSlot(struct timespec* next, double rate) {
    next->tv_nsec += (long)(1e9 / rate);
    while (next->tv_nsec >= 1000000000L) {
        next->tv_nsec -= 1000000000L;
        ++next->tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, next, NULL);
}

/* Value i of the storm, between lo and hi: steps of about 3 % of the range
 * around the middle, never twice the same in a row. */
static long valueAt(long i, long lo, long hi) {
    const long span = hi - lo;
    return lo + span / 4 + (i * (span / 33)) % (span / 2) + (i % 2);
}

#ifdef STORM_PULSE
typedef struct {
    long acked;
    double lastAckMs;
    int channels;
    int ready;
} PulseState;

static void onSinkInfo(pa_context* c, const pa_sink_info* info, int eol, void* data) {
    (void)c;
    PulseState* st = data;
    if (info) st->channels = info->channel_map.channels;
    if (eol) st->ready = 1;
}
static void onAck(pa_context* c, int success, void* data) {
    (void)c;
    (void)success;
    PulseState* st = data;
    ++st->acked;
    st->lastAckMs = ms(CLOCK_REALTIME);
}

static int pulseStorm(const char* sink, double rate, double seconds) {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* c = pa_context_new(pa_mainloop_get_api(loop), "storm");
    PulseState st = {0, 0, 0, 0};
    if (pa_context_connect(c, NULL, PA_CONTEXT_NOAUTOSPAWN, NULL) < 0) {
        fprintf(stderr, "storm: no PulseAudio server\n");
        return 1;
    }
    while (pa_context_get_state(c) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c)) || pa_mainloop_iterate(loop, 1, NULL) < 0) {
            fprintf(stderr, "storm: no PulseAudio server\n");
            return 1;
        }
    }
    pa_operation_unref(pa_context_get_sink_info_by_name(c, sink, onSinkInfo, &st));
    while (!st.ready && pa_mainloop_iterate(loop, 1, NULL) >= 0) {
    }
    if (!st.channels) {
        fprintf(stderr, "storm: no sink %s\n", sink);
        return 1;
    }
    const long count = (long)(rate * seconds);
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    const double start = ms(CLOCK_MONOTONIC);
    long value = 0;
    for (long i = 0; i < count; ++i) {
        value = valueAt(i, PA_VOLUME_MUTED, PA_VOLUME_NORM);
        pa_cvolume v;
        pa_cvolume_set(&v, st.channels, (pa_volume_t)value);
        pa_operation_unref(pa_context_set_sink_volume_by_name(c, sink, &v, onAck, &st));
        while (pa_mainloop_iterate(loop, 0, NULL) > 0) {
        }
        nextSlot(&next, rate);
    }
    const double sent = ms(CLOCK_MONOTONIC);
    while (st.acked < count && pa_mainloop_iterate(loop, 1, NULL) >= 0) {
    }
    const double took = (ms(CLOCK_MONOTONIC) - start) / 1e3;
    printf("sets %ld seconds %.2f rate %.0f last_value %ld last_percent %.0f last_ms %.1f slowest_ms %.2f\n", count,
           took, count / took, value, 100.0 * value / PA_VOLUME_NORM, st.lastAckMs, ms(CLOCK_MONOTONIC) - sent);
    pa_context_disconnect(c);
    pa_context_unref(c);
    pa_mainloop_free(loop);
    return 0;
}
#endif

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: storm DEVICE ELEMENT RATE SECONDS\n       storm pulse-sink NAME RATE SECONDS\n");
        return 2;
    }
    const double rate = atof(argv[3]), seconds = atof(argv[4]);
    if (!strcmp(argv[1], "pulse-sink")) {
#ifdef STORM_PULSE
        return pulseStorm(argv[2], rate, seconds);
#else
        fprintf(stderr, "storm: built without libpulse\n");
        return 2;
#endif
    }
    snd_mixer_t* mixer;
    snd_mixer_selem_id_t* id;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_name(id, argv[2]);
    if (snd_mixer_open(&mixer, 0) < 0 || snd_mixer_attach(mixer, argv[1]) < 0 ||
        snd_mixer_selem_register(mixer, NULL, NULL) < 0 || snd_mixer_load(mixer) < 0) {
        fprintf(stderr, "storm: cannot open mixer %s\n", argv[1]);
        return 1;
    }
    snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer, id);
    long lo, hi;
    if (!elem || snd_mixer_selem_get_playback_volume_range(elem, &lo, &hi) < 0 || hi <= lo) {
        fprintf(stderr, "storm: no playback volume %s on %s\n", argv[2], argv[1]);
        return 1;
    }
    const long count = (long)(rate * seconds);
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    const double start = ms(CLOCK_MONOTONIC);
    double slowest = 0, lastMs = 0;
    long value = lo, sets = 0;
    for (long i = 0; i < count; ++i) {
        value = valueAt(i, lo, hi);
        const double t = ms(CLOCK_MONOTONIC);
        if (snd_mixer_selem_set_playback_volume_all(elem, value) < 0) {
            fprintf(stderr, "storm: write %ld failed\n", i);
            return 1;
        }
        const double took = ms(CLOCK_MONOTONIC) - t;
        if (took > slowest) slowest = took;
        lastMs = ms(CLOCK_REALTIME);
        ++sets;
        /* Our own handle's events pile up otherwise. */
        snd_mixer_handle_events(mixer);
        nextSlot(&next, rate);
    }
    const double took = (ms(CLOCK_MONOTONIC) - start) / 1e3;
    printf("sets %ld seconds %.2f rate %.0f last_value %ld last_percent %.0f last_ms %.1f slowest_ms %.2f\n", sets,
           took, sets / took, value, 100.0 * (value - lo) / (hi - lo), lastMs, slowest);
    snd_mixer_close(mixer);
    return 0;
}
