// An ALSA external control plugin that acts like a sound card: the elements
// of a test profile, values kept in a state file shared by every handle and
// process, and change events raised in every handle by an inotify watch on
// that file, the way a kernel card notifies all its open control handles.
//
// Configuration:  ctl.NAME { type tavlo_test  profile "ac97"  state "/path/file" }

#include "test_card_profiles.h"
#include "test_card_state.h"

#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <sys/inotify.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

namespace {

using testcard::ElemRecord;
using testcard::ElemType;
using testcard::Profile;
using testcard::Snapshot;
using testcard::StateFile;

struct Event {
    int elem;
    unsigned mask;
};

struct Card {
    snd_ctl_ext_t ext{};
    StateFile state;
    int watch = -1;  // inotify descriptor, the handle's poll_fd
    Snapshot seen;   // values this handle has reported so far
    std::deque<Event> pending;
    bool gone = false;

    ~Card() {
        if (watch >= 0) ::close(watch);
    }
    const Profile& profile() const { return state.profile(); }
    const testcard::ElemDef& def(snd_ctl_ext_key_t key) const { return profile().elems[key]; }
};

Card* cardOf(snd_ctl_ext_t* ext) { return static_cast<Card*>(ext->private_data); }

// The element at a position among the present ones, or -1.
int presentAt(const Card& c, unsigned offset) {
    for (std::size_t i = 0; i < c.seen.elems.size(); ++i) {
        if (!c.seen.elems[i].present) continue;
        if (offset-- == 0) return static_cast<int>(i);
    }
    return -1;
}

void fillId(const Card& c, int elem, snd_ctl_elem_id_t* id) {
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, c.profile().elems[elem].name.c_str());
    snd_ctl_elem_id_set_index(id, c.profile().elems[elem].index);
}

void onClose(snd_ctl_ext_t* ext) { std::unique_ptr<Card> owned(cardOf(ext)); }

int onElemCount(snd_ctl_ext_t* ext) {
    int n = 0;
    for (const auto& r : cardOf(ext)->seen.elems) n += r.present ? 1 : 0;
    return n;
}

int onElemList(snd_ctl_ext_t* ext, unsigned offset, snd_ctl_elem_id_t* id) {
    const Card& c = *cardOf(ext);
    const int elem = presentAt(c, offset);
    if (elem < 0) return -EINVAL;
    fillId(c, elem, id);
    return 0;
}

snd_ctl_ext_key_t onFindElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    const Card& c = *cardOf(ext);
    const int elem = c.profile().find(snd_ctl_elem_id_get_name(id), snd_ctl_elem_id_get_index(id));
    if (elem < 0 || !c.seen.elems[elem].present) return SND_CTL_EXT_KEY_NOT_FOUND;
    return static_cast<snd_ctl_ext_key_t>(elem);
}

int onGetAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned* acc, unsigned* count) {
    const auto& d = cardOf(ext)->def(key);
    switch (d.type) {
        case ElemType::Integer:
            *type = SND_CTL_ELEM_TYPE_INTEGER;
            break;
        case ElemType::Boolean:
            *type = SND_CTL_ELEM_TYPE_BOOLEAN;
            break;
        case ElemType::Enumerated:
            *type = SND_CTL_ELEM_TYPE_ENUMERATED;
            break;
    }
    *acc = SND_CTL_EXT_ACCESS_READWRITE;
    if (cardOf(ext)->seen.elems[key].inactive) *acc |= SND_CTL_EXT_ACCESS_INACTIVE;
    *count = static_cast<unsigned>(d.channels);
    return 0;
}

int onGetIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* imin, long* imax, long* istep) {
    const auto& d = cardOf(ext)->def(key);
    *imin = d.type == ElemType::Integer ? d.min : 0;
    *imax = d.type == ElemType::Integer ? d.max : 1;
    *istep = 1;
    return 0;
}

int onGetEnumeratedInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned* items) {
    *items = static_cast<unsigned>(cardOf(ext)->def(key).items.size());
    return 0;
}

int onGetEnumeratedName(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned item, char* name, size_t maxLen) {
    const auto& d = cardOf(ext)->def(key);
    if (item >= d.items.size() || maxLen == 0) return -EINVAL;
    std::strncpy(name, d.items[item].c_str(), maxLen - 1);
    name[maxLen - 1] = '\0';
    return 0;
}

template <typename T>
int readValues(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, T* values) {
    Card& c = *cardOf(ext);
    if (c.gone || c.state.unlinked()) return -ENODEV;
    ElemRecord r;
    testcard::Faults faults;
    if (int err = c.state.readElem(static_cast<int>(key), r, &faults)) return err;
    if (faults.readErrno) return -faults.readErrno;
    for (int ch = 0; ch < c.def(key).channels; ++ch) values[ch] = static_cast<T>(r.value[ch]);
    return 0;
}

// Range-checked (alsa-lib does not); 1 when the value changed, 0 when not.
template <typename T>
int writeValues(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, const T* values) {
    Card& c = *cardOf(ext);
    if (c.gone || c.state.unlinked()) return -ENODEV;
    const auto& d = c.def(key);
    ElemRecord r;
    testcard::Faults faults;
    if (int err = c.state.readElem(static_cast<int>(key), r, &faults)) return err;
    if (faults.writeErrno) return -faults.writeErrno;
    const long lo = d.type == ElemType::Integer ? d.min : 0;
    const long hi = d.type == ElemType::Integer ? d.max : d.type == ElemType::Boolean ? 1 : d.max;
    for (int ch = 0; ch < d.channels; ++ch) {
        const long v = static_cast<long>(values[ch]);
        if (v < lo || v > hi) return -EINVAL;
        r.value[ch] = static_cast<std::int32_t>(v);
    }
    bool changed = false;
    if (int err = c.state.writeElem(static_cast<int>(key), r, &changed)) return err;
    // The change comes back to this handle too through its watch, as the
    // kernel notifies every subscriber of a card including the writer.
    return changed ? 1 : 0;
}

int onReadInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) { return readValues(ext, key, value); }
int onReadEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned* items) { return readValues(ext, key, items); }
int onWriteInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) { return writeValues(ext, key, value); }
int onWriteEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned* items) {
    return writeValues(ext, key, items);
}

void onSubscribeEvents(snd_ctl_ext_t* ext, int subscribe) {
    if (!subscribe) cardOf(ext)->pending.clear();
}

// Drains the watch and queues one event per element that differs from
// what this handle has seen.
int collectEvents(Card& c) {
    char buf[4096];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(c.watch, buf, sizeof buf);
        if (n > 0) {
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    if (c.state.unlinked()) {
        c.gone = true;
        return -ENODEV;
    }
    if (!any) return 0;
    Snapshot now;
    if (int err = c.state.read(now)) return err;
    for (std::size_t i = 0; i < now.elems.size(); ++i) {
        const ElemRecord& was = c.seen.elems[i];
        const ElemRecord& is = now.elems[i];
        const int elem = static_cast<int>(i);
        if (was.present && !is.present)
            c.pending.push_back({elem, SND_CTL_EVENT_MASK_REMOVE});
        else if (!was.present && is.present)
            c.pending.push_back({elem, SND_CTL_EVENT_MASK_ADD});
        else if (is.present) {
            unsigned mask = 0;
            if (was.inactive != is.inactive) mask |= SND_CTL_EVENT_MASK_INFO;
            if (std::memcmp(was.value, is.value, sizeof was.value) != 0) mask |= SND_CTL_EVENT_MASK_VALUE;
            if (mask) c.pending.push_back({elem, mask});
        }
    }
    c.seen = std::move(now);
    return 0;
}

int onReadEvent(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned* mask) {
    Card& c = *cardOf(ext);
    if (c.gone) return -ENODEV;
    if (c.pending.empty()) {
        if (int err = collectEvents(c)) return err;
        if (!ext->subscribed) c.pending.clear();
    }
    if (c.pending.empty()) return -EAGAIN;
    const Event e = c.pending.front();
    c.pending.pop_front();
    snd_ctl_elem_id_clear(id);
    fillId(c, e.elem, id);
    *mask = e.mask;
    return 1;
}

const snd_ctl_ext_callback_t kCallbacks = {
    .close = onClose,
    .elem_count = onElemCount,
    .elem_list = onElemList,
    .find_elem = onFindElem,
    .free_key = nullptr,
    .get_attribute = onGetAttribute,
    .get_integer_info = onGetIntegerInfo,
    .get_integer64_info = nullptr,
    .get_enumerated_info = onGetEnumeratedInfo,
    .get_enumerated_name = onGetEnumeratedName,
    .read_integer = onReadInteger,
    .read_integer64 = nullptr,
    .read_enumerated = onReadEnumerated,
    .read_bytes = nullptr,
    .read_iec958 = nullptr,
    .write_integer = onWriteInteger,
    .write_integer64 = nullptr,
    .write_enumerated = onWriteEnumerated,
    .write_bytes = nullptr,
    .write_iec958 = nullptr,
    .subscribe_events = onSubscribeEvents,
    .read_event = onReadEvent,
    .poll_descriptors_count = nullptr,
    .poll_descriptors = nullptr,
    .poll_revents = nullptr,
};

void copyField(char* field, std::size_t size, const std::string& text) {
    std::strncpy(field, text.c_str(), size - 1);
    field[size - 1] = '\0';
}

}  // namespace

extern "C" {

SND_CTL_PLUGIN_DEFINE_FUNC(tavlo_test) {
    (void)root;
    std::string profileId, statePath;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* n = snd_config_iterator_entry(i);
        const char* key = nullptr;
        if (snd_config_get_id(n, &key) < 0) continue;
        const std::string k = key;
        if (k == "comment" || k == "type" || k == "hint") continue;
        const char* value = nullptr;
        if ((k == "profile" || k == "state") && snd_config_get_string(n, &value) >= 0) {
            (k == "profile" ? profileId : statePath) = value;
            continue;
        }
        SNDERR("tavlo_test: unknown or malformed field %s", key);
        return -EINVAL;
    }
    const Profile* profile = testcard::findProfile(profileId);
    if (!profile || statePath.empty()) {
        SNDERR("tavlo_test: needs profile (ac97, hda or mixsw) and state (a file path)");
        return -EINVAL;
    }

    auto card = std::make_unique<Card>();
    if (int err = card->state.open(statePath, *profile)) {
        SNDERR("tavlo_test: cannot use state file %s: %s", statePath.c_str(),
               err == -EINVAL ? "made for another card or version (delete it to start afresh)" : std::strerror(-err));
        return err;
    }
    if (int err = card->state.read(card->seen)) return err;
    if (card->seen.faults.readErrno) return -card->seen.faults.readErrno;  // a card that fails from the start
    card->watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (card->watch < 0) return -errno;
    if (::inotify_add_watch(card->watch, statePath.c_str(), IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF) < 0)
        return -errno;

    snd_ctl_ext_t& ext = card->ext;
    ext.version = SND_CTL_EXT_VERSION;
    ext.card_idx = -1;  // no kernel card behind it
    copyField(ext.id, sizeof ext.id, "Tavlo" + profile->id);
    copyField(ext.driver, sizeof ext.driver, "tavlo_test");
    copyField(ext.name, sizeof ext.name, profile->cardName);
    copyField(ext.longname, sizeof ext.longname, profile->cardName + " (test control plugin)");
    copyField(ext.mixername, sizeof ext.mixername, profile->id);
    ext.poll_fd = card->watch;
    ext.callback = &kCallbacks;
    ext.private_data = card.get();
    if (int err = snd_ctl_ext_create(&ext, name, mode); err < 0) return err;
    *handlep = ext.handle;
    card.release();  // owned by the handle now; freed in onClose
    return 0;
}

SND_CTL_PLUGIN_SYMBOL(tavlo_test)

}  // extern "C"
