#include "app/command_line.h"

#include <array>
#include <string_view>

namespace {

// Qt's own options (QGuiApplication, QApplication and the X11 platform),
// with one dash or two; "-opt=value" is taken as well.
constexpr std::array kQtOptionsWithValue = {
    std::string_view("platform"),      std::string_view("platformpluginpath"),
    std::string_view("platformtheme"), std::string_view("plugin"),
    std::string_view("qmljsdebugger"), std::string_view("qwindowgeometry"),
    std::string_view("geometry"),      std::string_view("qwindowicon"),
    std::string_view("qwindowtitle"),  std::string_view("title"),
    std::string_view("session"),       std::string_view("display"),
    std::string_view("name"),          std::string_view("style"),
    std::string_view("stylesheet"),    std::string_view("visual"),
    std::string_view("ncols"),         std::string_view("cmap"),
};
constexpr std::array kQtFlags = {
    std::string_view("reverse"), std::string_view("widgetcount"), std::string_view("nograb"),
    std::string_view("dograb"),  std::string_view("sync"),        std::string_view("testability"),
};

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& list, std::string_view name) {
    for (std::string_view entry : list)
        if (entry == name) return true;
    return false;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") return {CommandLine::Action::Help, {}};
        if (arg == "--version") return {CommandLine::Action::Version, {}};
        std::string_view name = arg;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else
            return {CommandLine::Action::Refuse, args[i]};  // the program takes no file or word
        const std::size_t equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) name = name.substr(0, equals);
        if (listed(kQtOptionsWithValue, name)) {
            if (!inlineValue && ++i >= args.size()) return {CommandLine::Action::Refuse, args.back()};
            continue;
        }
        if (listed(kQtFlags, name) && !inlineValue) continue;
        return {CommandLine::Action::Refuse, args[i]};
    }
    return line;
}

std::string CommandLineHelp(const std::string& program) {
    return "usage: " + program +
           " [--help | --version] [Qt options such as -platform NAME, -display X11DISPLAY]\n"
           "A compact audio mixer that waits in the tray: playback, recording and VU windows that stay on top.\n"
           "The volume keys (raise, lower, mute) and the wheel on the speaker's tray icon step the master by 5 %.\n"
           "\n"
           "  -h, --help     this text\n"
           "      --version  the program's version\n"
           "\n"
           "Environment:\n"
           "  TAVLO_MIXER       the sound back end: unset, the sound server (PulseAudio or PipeWire)\n"
           "                    while it runs, else the ALSA cards; pulse, alsa, alsa:NAME[,NAME...],\n"
           "                    demo (two simulated cards) or sim:PATH (cards described in a JSON file)\n"
           "  QT_LOGGING_RULES  diagnostics, e.g. \"tavlo.*.debug=true\"; the categories:\n"
           "    tavlo.init     the start-up's steps\n"
           "    tavlo.refresh  the strips read again after a change made elsewhere\n"
           "    tavlo.cards    cards and sound servers coming and going\n"
           "    tavlo.mixer    devices going\n"
           "    tavlo.config   the configuration file\n"
           "    tavlo.meter    the meter scan\n"
           "    tavlo.tray     the tray icons\n"
           "    tavlo.keys     the volume keys\n"
           "    tavlo.pulse    the sound server driver\n"
           "    tavlo.alsa     the ALSA driver\n";
}
