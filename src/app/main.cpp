// Tavlo: a small skinned mixer for the desktop.

#include "app/app_context.h"
#include "app/command_line.h"
#include "app/master_keys.h"
#include "app/mixer_controller.h"
#include "app/splash.h"
#include "app/user_messages.h"
#include "controls/app_icon.h"
#include "controls/balloon.h"
#include "platform/driver_factory.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QStyleHints>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Qt aborts without a display; say how to get one instead.
bool haveDisplay() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return true;
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

// The windows place themselves, stay on top and pull each other along
// (the magnet): Wayland lets no client do that, X11 does. On a Wayland
// session, go through XWayland when it is there.
void preferX11() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) return;
    if (qEnvironmentVariableIsSet("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        std::fprintf(stderr,
                     "tavlo: Wayland session: running through XWayland, which lets the windows keep their "
                     "places, stay on top and move together.\n");
    } else {
        std::fprintf(stderr,
                     "tavlo: Wayland session without XWayland: the windows cannot keep their places, stay "
                     "on top or move together (the magnet).\n");
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // The command line is answered before a display is looked for.
    const std::string program = argc > 0 ? argv[0] : "tavlo";
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(CommandLineHelp(program).c_str(), stdout);
            return kExitAnswered;
        case CommandLine::Action::Version:
            std::printf("tavlo %s\n", TAVLO_VERSION);
            return kExitAnswered;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "tavlo: unknown option \"%s\"; try \"%s --help\"\n", line.refused.c_str(),
                         program.c_str());
            return kExitUsage;
        case CommandLine::Action::Run:
            break;
    }
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "tavlo: no display found. Run it on an X11 or Wayland desktop, or under a virtual display: "
                     "xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "tavlo");
        return 1;
    }
    preferX11();
    QApplication app(argc, argv);
    // No display name: Qt would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("Tavlo"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Task lists and window switchers show the program's icon; on Wayland
    // the desktop entry's name ties the windows to it.
    QApplication::setDesktopFileName(QStringLiteral(TAVLO_APP_ID));
    QApplication::setWindowIcon(AppIcon());
    // A mixer window gives its first read-out the focus when it is
    // activated: a blinking caret would repaint it twice a second while
    // nothing else moves. The caret stays lit instead.
    QGuiApplication::styleHints()->setCursorFlashTime(0);

    SingleInstanceGuard guard(QStringLiteral("Tavlo"));
    if (guard.alreadyRunning()) {
        // The running copy brings its windows up: without a tray it may have
        // no other way back.
        InstanceBell::ring(QStringLiteral("Tavlo"));
        messageBoxes()->warning(QStringLiteral("Tavlo is already loaded..."));
        return 0;
    }

    // A sound back end that cannot be used stops us before any window opens.
    QString error;
    auto driver = makeMixerDriver(mixerSelectionFromEnvironment(), &error);
    if (!driver) {
        std::fprintf(stderr, "tavlo: %s\n", qPrintable(error));
        return 2;
    }

    // Every hint of the program shows as a balloon; the defaults are its look.
    TBalloonHint balloonHints;
    balloonHints.SetActive(true);

    AppContext context(std::move(driver));
    context.state().StartingUp = true;
    // The splash shows while the other windows are built: it is on the
    // screen the moment the program starts.
    context.createWindows([](QWidget& splash) {
        splash.show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    // The volume keys and the wheel on the speaker's tray icon.
    MasterKeys keys(context.state(), *context.Form1(), *context.rec(), *context.controller());
    InstanceBell bell(QStringLiteral("Tavlo"));
    QObject::connect(&bell, &InstanceBell::rung, context.controller(), &MixerController::showMixers);
    return QApplication::exec();
}
