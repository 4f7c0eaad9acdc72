#include "controls/volume_keys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

Q_LOGGING_CATEGORY(lcKeys, "tavlo.keys", QtInfoMsg)

namespace {

constexpr xcb_keysym_t kRaiseSym = 0x1008FF13;  // XF86AudioRaiseVolume
constexpr xcb_keysym_t kLowerSym = 0x1008FF11;  // XF86AudioLowerVolume
constexpr xcb_keysym_t kMuteSym = 0x1008FF12;   // XF86AudioMute
constexpr xcb_keysym_t kNumLockSym = 0xFF7F;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

const char* keyName(VolumeKeys::Key key) {
    switch (key) {
        case VolumeKeys::Key::Raise:
            return "XF86AudioRaiseVolume";
        case VolumeKeys::Key::Lower:
            return "XF86AudioLowerVolume";
        case VolumeKeys::Key::Mute:
            return "XF86AudioMute";
    }
    return "";
}

// The server's keyboard map: which keycodes give a keysym.
struct KeyboardMap {
    xcb_keycode_t first = 0;
    int perKeycode = 0;
    std::vector<xcb_keysym_t> syms;

    std::vector<xcb_keycode_t> keycodesOf(xcb_keysym_t sym) const {
        std::vector<xcb_keycode_t> codes;
        if (perKeycode <= 0) return codes;
        for (std::size_t i = 0; i < syms.size(); ++i)
            if (syms[i] == sym) {
                const auto code = xcb_keycode_t(first + i / perKeycode);
                if (codes.empty() || codes.back() != code) codes.push_back(code);
            }
        return codes;
    }
};

KeyboardMap readKeyboardMap(xcb_connection_t* c) {
    KeyboardMap map;
    const xcb_setup_t* setup = xcb_get_setup(c);
    map.first = setup->min_keycode;
    const Reply<xcb_get_keyboard_mapping_reply_t> reply(
        xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1), nullptr),
        &std::free);
    if (!reply) return map;
    map.perKeycode = reply->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    map.syms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply.get()));
    return map;
}

// The modifier bit NumLock sets (Mod2 on most keyboards); 0 without one.
std::uint16_t numLockMask(xcb_connection_t* c, const KeyboardMap& map) {
    const Reply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr), &std::free);
    if (!reply) return 0;
    const std::vector<xcb_keycode_t> numLock = map.keycodesOf(kNumLockSym);
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int k = 0; k < perModifier; ++k)
            for (xcb_keycode_t code : numLock)
                if (code != 0 && codes[modifier * perModifier + k] == code) return std::uint16_t(1u << modifier);
    return 0;
}

}  // namespace

VolumeKeys::VolumeKeys(QObject* parent) : QObject(parent) {
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        qCInfo(lcKeys) << "Wayland session: the volume keys are left to the desktop (XWayland sees only its own "
                          "programs' keys)";
        return;
    }
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        qCDebug(lcKeys) << "no X11 display: the volume keys are not taken";
        return;
    }
    connection_ = x11->connection();
    grabAll();
    if (!grabs_.empty()) QCoreApplication::instance()->installNativeEventFilter(this);
}

VolumeKeys::~VolumeKeys() {
    if (!connection_) return;
    auto* c = static_cast<xcb_connection_t*>(connection_);
    for (const Grab& g : grabs_)
        for (std::uint16_t m : modifiers_) xcb_ungrab_key(c, g.keycode, root_, m);
    xcb_flush(c);
}

void VolumeKeys::grabAll() {
    auto* c = static_cast<xcb_connection_t*>(connection_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return;
    root_ = screen->root;
    const KeyboardMap map = readKeyboardMap(c);
    // A grab matches its modifiers exactly: NumLock or CapsLock on would
    // otherwise let the keys through.
    const std::uint16_t numLock = numLockMask(c, map);
    modifiers_ = {0, XCB_MOD_MASK_LOCK};
    if (numLock != 0 && numLock != XCB_MOD_MASK_LOCK) {
        modifiers_.push_back(numLock);
        modifiers_.push_back(numLock | XCB_MOD_MASK_LOCK);
    }
    for (auto [key, sym] : {std::pair{Key::Raise, kRaiseSym}, {Key::Lower, kLowerSym}, {Key::Mute, kMuteSym}}) {
        for (xcb_keycode_t code : map.keycodesOf(sym)) {
            std::vector<xcb_void_cookie_t> cookies;
            for (std::uint16_t m : modifiers_)
                cookies.push_back(xcb_grab_key_checked(c, 0, root_, m, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            bool refused = false;
            for (xcb_void_cookie_t cookie : cookies) {
                const Reply<xcb_generic_error_t> error(xcb_request_check(c, cookie), &std::free);
                // BadAccess: another client grabbed it first.
                if (error) refused = true;
            }
            if (refused) {
                // Half a key would act only with some locks on: leave all of it.
                for (std::uint16_t m : modifiers_) xcb_ungrab_key(c, code, root_, m);
                if (!refused_.contains(key)) refused_.append(key);
            } else {
                grabs_.push_back({key, code});
            }
        }
    }
    xcb_flush(c);
    QStringList taken;
    QStringList left;
    for (Key key : Taken()) taken << QString::fromLatin1(keyName(key));
    for (Key key : refused_) left << QString::fromLatin1(keyName(key));
    if (!left.isEmpty())
        qCInfo(lcKeys).noquote() << "another program holds" << left.join(QStringLiteral(", "))
                                 << "(the desktop's own volume control, most likely): Tavlo leaves them to it";
    QStringList locks;
    for (std::uint16_t m : modifiers_) locks << QStringLiteral("0x%1").arg(m, 0, 16);
    if (!taken.isEmpty())
        qCDebug(lcKeys).noquote() << "taken:" << taken.join(QStringLiteral(", ")) << "with the locks"
                                  << locks.join(QLatin1Char(' '));
}

QList<VolumeKeys::Key> VolumeKeys::Taken() const {
    QList<Key> keys;
    for (const Grab& g : grabs_)
        if (!keys.contains(g.key)) keys.append(g.key);
    return keys;
}

bool VolumeKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->event != root_) return false;
    for (const Grab& g : grabs_) {
        if (g.keycode != key->detail) continue;
        if (type == XCB_KEY_PRESS) {
            qCDebug(lcKeys, "%s pressed, modifiers 0x%x", keyName(g.key), unsigned(key->state));
            if (g.key == Key::Mute)
                emit muteRequested();
            else
                emit stepRequested(g.key == Key::Raise ? 1 : -1);
        }
        return true;  // ours: Qt has no window for the root
    }
    return false;
}
