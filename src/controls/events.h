#pragma once
// Event callbacks of the custom controls. The sender comes first, typed as
// the control that raises the event; an empty callback means no handler.

#include <Qt>

#include <functional>

template <class Sender>
using TNotifyEvent = std::function<void(Sender*)>;

// Button pressed or released; X and Y are relative to the sender.
template <class Sender>
using TMouseEvent = std::function<void(Sender*, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

// Buttons holds the buttons that are down during the move.
template <class Sender>
using TMouseMoveEvent =
    std::function<void(Sender*, Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y)>;
