// Takes the single-instance guard named on the command line, says whether
// it got it, and holds it until its input closes (or it is killed).

#include "platform/single_instance.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 2) return 2;
    SingleInstanceGuard guard(QString::fromLocal8Bit(argv[1]));
    std::puts(guard.alreadyRunning() ? "busy" : "held");
    std::fflush(stdout);
    if (guard.alreadyRunning()) return 1;
    while (std::getchar() != EOF) {
    }
    return 0;
}
