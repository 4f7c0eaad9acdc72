#pragma once
// tavlo-mixerctl: looks at and changes sound cards through the same mixer
// service and drivers the program uses.

#include <QStringList>
#include <QTextStream>

class MixerService;

// Runs one command (arguments without the program name). Output goes to
// out, one-line errors to err. Returns the process exit status; "watch"
// returns -1 to ask the caller to run the event loop.
int runMixerCtl(MixerService& service, const QStringList& args, QTextStream& out, QTextStream& err);

QString mixerCtlUsage();
