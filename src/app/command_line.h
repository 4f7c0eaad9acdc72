#pragma once
// What the command line asks of the program, decided before any display is
// opened: --help and --version answer on standard output and end at once,
// anything the program does not know ends it with a message. Qt's own
// options (-platform, -display, -style ...) pass through to Qt.

#include <string>
#include <vector>

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    std::string refused;  // the argument refused
};

// args without the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// --help's text: the options, the sound back ends and the log categories.
std::string CommandLineHelp(const std::string& program);

// Exit statuses of the command line.
inline constexpr int kExitAnswered = 0;
inline constexpr int kExitUsage = 2;
