#pragma once
// The program's own icon, for the desktop's menus, launchers and task
// lists: one of its black mixer windows with the blue title band, holding
// the tray's faders and, from 48 pixels up, the tray's sounding speaker and
// the window's corner button. Drawn in code at each size, with the detail
// that size can carry, never scaled from another size.

#include <QIcon>
#include <QImage>

class QPainter;

// Paints the icon into the square (0, 0)-(size, size) of `p`'s device.
void DrawAppIcon(QPainter& p, int size);

// The icon as a picture, size × size on a transparent ground (size >= 1).
QImage AppIconImage(int size);

// The icon at the sizes desktops ask for, for the windows.
QIcon AppIcon();
