#pragma once
// VolumeKeys: the keyboard's volume keys (XF86AudioRaiseVolume,
// XF86AudioLowerVolume, XF86AudioMute) from anywhere on the desktop, with a
// window of the program in front or none shown at all.
//
// On X11 each key is taken by a passive grab on the root window, in every
// combination of NumLock and CapsLock, and only where no other client holds
// it: a desktop that handles the keys itself keeps them (the server refuses
// the grab), and the program leaves that key and says so once in the
// tavlo.keys category. Under XWayland a grab would see only the X11
// programs' keys: nothing is taken, and that is said once. Elsewhere
// (offscreen) nothing is taken. The presses come through Qt's own X
// connection (a native event filter), never by waiting on the server.

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

#include <cstdint>
#include <vector>

class VolumeKeys : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    enum class Key { Raise, Lower, Mute };

    explicit VolumeKeys(QObject* parent = nullptr);
    ~VolumeKeys() override;

    // The keys held by this program, and those another client held first.
    QList<Key> Taken() const;
    QList<Key> Refused() const { return refused_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // +1 raise, -1 lower; once per press, auto-repeat included.
    void stepRequested(int direction);
    void muteRequested();

private:
    struct Grab {
        Key key;
        std::uint8_t keycode;
    };
    void grabAll();

    void* connection_ = nullptr;  // Qt's xcb_connection_t
    std::uint32_t root_ = 0;
    std::vector<std::uint16_t> modifiers_;  // the lock combinations each key is grabbed in
    std::vector<Grab> grabs_;
    QList<Key> refused_;
};
