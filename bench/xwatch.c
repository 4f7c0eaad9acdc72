/* xwatch: what the X server sees of a program, for bench/peers.sh.
 *
 *   xwatch map TIMEOUT_MS -- CMD [ARG...]
 *       Starts CMD and prints "PID MS T0" once the X server maps the first
 *       top-level window whose _NET_WM_PID (or its client leader's or
 *       transient-for's) is CMD or a descendant of it; MS counts from just
 *       before the fork, T0 is the fork's wall-clock time (ms since the
 *       epoch). MS is -1 after TIMEOUT_MS. Then waits for CMD to end
 *       and exits with its status, so a caller can wait on xwatch.
 *   xwatch damage PID SECONDS [TITLE]
 *       Counts XDamage reports on PID's viewable windows (those whose title
 *       contains TITLE, when given) over SECONDS. Prints
 *       "repaints R areas A pixels P windows W last_ms T": R reports (a
 *       repaint may damage several rectangles: one report), A rectangles,
 *       P damaged pixels, T the wall-clock time of the last report (ms since
 *       the epoch, 0 when none). SIGTERM ends the count early.
 *       XWATCH_DEBUG=1 prints each rectangle damaged to stderr.
 *   xwatch react PID COUNT QUIET_MS [TITLE] -- CMD [ARG...]
 *       COUNT times: waits until PID's windows have been quiet for QUIET_MS
 *       (at most 2 x QUIET_MS + 1 s; rectangles repainted meanwhile, such
 *       as meters, do not count as a reaction afterwards), runs CMD with
 *       each "@" in its arguments replaced by a value that differs from the
 *       one before, and prints "REACT_MS CMD_MS": the time from the fork to
 *       the first damage on those windows (-1 after 3 s) and the time CMD
 *       took to end. XWATCH_DEBUG=1 prints each rectangle damaged after
 *       the fork to stderr ("known": taken for a meter's).
 *   xwatch run COUNT -- CMD [ARG...]
 *       Runs CMD COUNT times ("@" replaced as above) and prints each run's
 *       time in ms.
 */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double nowMs(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

/* Windows vanish while we look at them: a failed request is no error here. */
static int ignoreErrors(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    return 0;
}

static pid_t parentOf(pid_t pid) {
    char path[64], buf[512];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    int fd = open(path, O_RDONLY);
    if (fd < 0) return 0;
    ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0) return 0;
    buf[n] = 0;
    const char* p = strrchr(buf, ')');
    int ppid = 0;
    if (!p || sscanf(p + 2, "%*c %d", &ppid) != 1) return 0;
    return ppid;
}

/* pid is root or one of its descendants. */
static int descends(pid_t pid, pid_t root) {
    for (int depth = 0; pid > 1 && depth < 64; ++depth) {
        if (pid == root) return 1;
        pid = parentOf(pid);
    }
    return 0;
}

static long cardinal(Display* d, Window w, Atom prop, Atom type) {
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    long value = 0;
    if (XGetWindowProperty(d, w, prop, 0, 1, False, type, &actual, &format, &count, &after, &data) == Success && data &&
        count == 1 && format == 32)
        value = (long)*(unsigned long*)data;
    if (data) XFree(data);
    return value;
}

static Atom aPid, aLeader;

/* The process a window belongs to, through its client leader or the window
 * it is transient for when it names none itself. */
static pid_t windowPid(Display* d, Window w) {
    pid_t pid = (pid_t)cardinal(d, w, aPid, XA_CARDINAL);
    if (pid > 0) return pid;
    Window leader = (Window)cardinal(d, w, aLeader, XA_WINDOW);
    if (leader && leader != w && (pid = (pid_t)cardinal(d, leader, aPid, XA_CARDINAL)) > 0) return pid;
    Window owner = 0;
    if (XGetTransientForHint(d, w, &owner) && owner && owner != w) return (pid_t)cardinal(d, owner, aPid, XA_CARDINAL);
    return 0;
}

static int titled(Display* d, Window w, const char* title) {
    if (!title || !*title) return 1;
    char* name = NULL;
    int yes = XFetchName(d, w, &name) && name && strstr(name, title);
    if (name) XFree(name);
    return yes;
}

static Display* openDisplay(void) {
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xwatch: cannot open display\n");
        exit(2);
    }
    XSetErrorHandler(ignoreErrors);
    aPid = XInternAtom(d, "_NET_WM_PID", False);
    aLeader = XInternAtom(d, "WM_CLIENT_LEADER", False);
    return d;
}

/* Waits for an X event for at most ms milliseconds; 1 when one is there. */
static int eventWithin(Display* d, double ms) {
    if (XPending(d)) return 1;
    struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
    if (ms < 0) ms = 0;
    if (poll(&p, 1, (int)(ms + 0.999)) <= 0) return XPending(d);
    return XPending(d);
}

static pid_t spawn(char** argv, int quiet) {
    pid_t pid = fork();
    if (pid < 0) {
        perror("xwatch: fork");
        exit(2);
    }
    if (pid == 0) {
        /* Our stdout carries the results: the program's goes to stderr. */
        if (quiet) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        } else {
            dup2(2, 1);
        }
        execvp(argv[0], argv);
        perror("xwatch: exec");
        _exit(127);
    }
    return pid;
}

static int mapMode(int timeoutMs, char** argv) {
    Display* d = openDisplay();
    Window root = DefaultRootWindow(d);
    /* A program that detaches keeps xwatch as its ancestor. */
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);
    const double t0 = nowMs(CLOCK_MONOTONIC), wall = nowMs(CLOCK_REALTIME);
    const pid_t child = spawn(argv, 0);
    const pid_t self = getpid();
    double found = -1;
    while (found < 0) {
        const double left = t0 + timeoutMs - nowMs(CLOCK_MONOTONIC);
        if (left <= 0 || !eventWithin(d, left)) break;
        XEvent e;
        XNextEvent(d, &e);
        if (e.type != MapNotify) continue;
        const double at = nowMs(CLOCK_MONOTONIC);
        const pid_t pid = windowPid(d, e.xmap.window);
        if (pid > 0 && pid != self && descends(pid, self)) found = at - t0;
    }
    printf("%d %.1f %.1f\n", (int)child, found, wall);
    fflush(stdout);
    XCloseDisplay(d);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    /* Reap whatever the program left to us. */
    while (waitpid(-1, NULL, WNOHANG) > 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/* Damage objects on every viewable window of pid (whole tree: tray icons
 * live inside the tray's window). */
typedef struct {
    Window win[64];
    int count;
} Windows;

static void collect(Display* d, Window w, pid_t pid, const char* title, Windows* out) {
    Window rootRet, parent, *kids = NULL;
    unsigned n = 0;
    if (!XQueryTree(d, w, &rootRet, &parent, &kids, &n)) return;
    for (unsigned i = 0; i < n && out->count < 64; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, kids[i], &a)) continue;
        const pid_t owner = (pid_t)cardinal(d, kids[i], aPid, XA_CARDINAL);
        if (owner > 0 && descends(owner, pid)) {
            /* The program's window: its children are reported with it. */
            if (a.map_state == IsViewable && titled(d, kids[i], title)) out->win[out->count++] = kids[i];
        } else {
            collect(d, kids[i], pid, title, out);
        }
    }
    if (kids) XFree(kids);
}

static int damageBase(Display* d) {
    int event, error;
    if (!XDamageQueryExtension(d, &event, &error)) {
        fprintf(stderr, "xwatch: the X server has no DAMAGE extension\n");
        exit(2);
    }
    return event;
}

static Windows watchDamage(Display* d, pid_t pid, const char* title) {
    Windows ws = {{0}, 0};
    collect(d, DefaultRootWindow(d), pid, title, &ws);
    for (int i = 0; i < ws.count; ++i) XDamageCreate(d, ws.win[i], XDamageReportRawRectangles);
    XSync(d, False);
    return ws;
}

static volatile sig_atomic_t stopRequested;
static void requestStop(int sig) {
    (void)sig;
    stopRequested = 1;
}

/* Creating a damage object reports the whole window once: skip that (for
 * 50 ms: a meter repainting all the time would never let a quiet wait end). */
static void skipCreationReports(Display* d) {
    const double end = nowMs(CLOCK_MONOTONIC) + 50;
    while (eventWithin(d, end - nowMs(CLOCK_MONOTONIC))) {
        XEvent e;
        XNextEvent(d, &e);
        if (nowMs(CLOCK_MONOTONIC) >= end) break;
    }
}

static int damageMode(pid_t pid, double seconds, const char* title) {
    /* SIGTERM ends the count early, and the figures so far are printed. */
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = requestStop;
    sigaction(SIGTERM, &sa, NULL);
    Display* d = openDisplay();
    const int base = damageBase(d);
    Windows ws = watchDamage(d, pid, title);
    skipCreationReports(d);
    long reports = 0, areas = 0;
    double pixels = 0, last = 0;
    const int debug = getenv("XWATCH_DEBUG") != NULL;
    const double end = nowMs(CLOCK_MONOTONIC) + seconds * 1e3;
    while (!stopRequested) {
        const double left = end - nowMs(CLOCK_MONOTONIC);
        if (left <= 0) break;
        if (!eventWithin(d, left)) continue;
        XEvent e;
        XNextEvent(d, &e);
        if (e.type != base + XDamageNotify) continue;
        const XDamageNotifyEvent* de = (const XDamageNotifyEvent*)&e;
        ++areas;
        pixels += (double)de->area.width * de->area.height;
        if (debug)
            fprintf(stderr, "%.0f window 0x%lx %dx%d+%d+%d\n", nowMs(CLOCK_MONOTONIC), (unsigned long)de->drawable,
                    de->area.width, de->area.height, de->area.x, de->area.y);
        if (!de->more) {
            ++reports;
            last = nowMs(CLOCK_REALTIME);
        }
    }
    printf("repaints %ld areas %ld pixels %.0f windows %d last_ms %.1f\n", reports, areas, pixels, ws.count, last);
    return ws.count ? 0 : 1;
}

/* argv with each "@" argument replaced by value i's text. */
static char** withValue(char** argv, int i, char* buf) {
    static char* out[64];
    /* Two alternating ranges, so each value differs from the one before. */
    snprintf(buf, 16, "%d", (i % 2 ? 70 : 30) + (i / 2) % 20);
    int k = 0;
    for (; argv[k] && k < 63; ++k) {
        char* at = strchr(argv[k], '@');
        if (!at) {
            out[k] = argv[k];
            continue;
        }
        static char arg[64][128];
        snprintf(arg[k], sizeof arg[k], "%.*s%s%s", (int)(at - argv[k]), argv[k], buf, at + 1);
        out[k] = arg[k];
    }
    out[k] = NULL;
    return out;
}

static double waitChild(pid_t child, double t0) {
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return nowMs(CLOCK_MONOTONIC) - t0;
}

typedef struct {
    XRectangle r[256];
    int times[256];
    int count;
} Rects;

static int sameRect(const XRectangle* a, const XDamageNotifyEvent* e) {
    return a->x == e->area.x && a->y == e->area.y && a->width == e->area.width && a->height == e->area.height;
}
/* A rectangle repainted three times or more while waiting is a meter's
 * (a reaction to the change before repaints its rectangles once or twice). */
static int known(const Rects* rs, const XDamageNotifyEvent* e) {
    for (int i = 0; i < rs->count; ++i)
        if (sameRect(&rs->r[i], e)) return rs->times[i] >= 3;
    return 0;
}
static void learn(Rects* rs, const XDamageNotifyEvent* e) {
    for (int i = 0; i < rs->count; ++i)
        if (sameRect(&rs->r[i], e)) {
            ++rs->times[i];
            return;
        }
    if (rs->count == 256) return;
    rs->times[rs->count] = 1;
    rs->r[rs->count++] = e->area;
}

static int reactMode(pid_t pid, int count, double quietMs, const char* title, char** argv) {
    Display* d = openDisplay();
    const int base = damageBase(d);
    Windows ws = watchDamage(d, pid, title);
    if (!ws.count) {
        fprintf(stderr, "xwatch: no viewable window of %d\n", (int)pid);
        return 1;
    }
    skipCreationReports(d);
    char value[16];
    for (int i = 0; i < count; ++i) {
        /* Quiet first, so the damage seen is the reaction. A window that
         * never goes quiet (meters repainting at a fixed rate) has the
         * rectangles it repaints meanwhile learnt: only others count. */
        Rects seen = {{{0}}, {0}, 0};
        double quietSince = nowMs(CLOCK_MONOTONIC);
        const double giveUp = quietSince + 2 * quietMs + 1000;
        while (nowMs(CLOCK_MONOTONIC) - quietSince < quietMs && nowMs(CLOCK_MONOTONIC) < giveUp) {
            if (eventWithin(d, quietMs - (nowMs(CLOCK_MONOTONIC) - quietSince))) {
                XEvent e;
                XNextEvent(d, &e);
                if (e.type == base + XDamageNotify) learn(&seen, (const XDamageNotifyEvent*)&e);
                quietSince = nowMs(CLOCK_MONOTONIC);
            }
        }
        const double t0 = nowMs(CLOCK_MONOTONIC);
        const pid_t child = spawn(withValue(argv, i, value), 1);
        /* The command's end is watched beside the damage: it may come first. */
        int exitFd = (int)syscall(SYS_pidfd_open, child, 0);
        double react = -1, took = -1;
        while (react < 0 || took < 0) {
            const double left = t0 + 3000 - nowMs(CLOCK_MONOTONIC);
            if (left <= 0) break;
            if (!XPending(d)) {
                struct pollfd p[2] = {{ConnectionNumber(d), POLLIN, 0}, {exitFd, POLLIN, 0}};
                poll(p, exitFd >= 0 ? 2 : 1, (int)(left + 0.999));
                if (exitFd >= 0 && p[1].revents) {
                    took = waitChild(child, t0);
                    close(exitFd);
                    exitFd = -1;
                }
                if (!XPending(d)) continue;
            }
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == base + XDamageNotify && getenv("XWATCH_DEBUG")) {
                const XDamageNotifyEvent* de = (const XDamageNotifyEvent*)&e;
                fprintf(stderr, "%.1f %dx%d+%d+%d%s\n", nowMs(CLOCK_MONOTONIC) - t0, de->area.width, de->area.height,
                        de->area.x, de->area.y, known(&seen, de) ? " known" : "");
            }
            if (e.type == base + XDamageNotify && react < 0 && !known(&seen, (const XDamageNotifyEvent*)&e))
                react = nowMs(CLOCK_MONOTONIC) - t0;
        }
        if (took < 0) took = waitChild(child, t0);
        if (exitFd >= 0) close(exitFd);
        printf("%.1f %.1f\n", react, took);
        fflush(stdout);
    }
    return 0;
}

static int runMode(int count, char** argv) {
    char value[16];
    for (int i = 0; i < count; ++i) {
        const double t0 = nowMs(CLOCK_MONOTONIC);
        const pid_t child = spawn(withValue(argv, i, value), 1);
        printf("%.1f\n", waitChild(child, t0));
        fflush(stdout);
    }
    return 0;
}

static char** afterDashes(int argc, char** argv, int from) {
    for (int i = from; i < argc; ++i)
        if (!strcmp(argv[i], "--") && i + 1 < argc) return argv + i + 1;
    fprintf(stderr, "xwatch: no command after --\n");
    exit(2);
}

int main(int argc, char** argv) {
    if (argc >= 5 && !strcmp(argv[1], "map")) return mapMode(atoi(argv[2]), afterDashes(argc, argv, 3));
    if (argc >= 4 && !strcmp(argv[1], "damage"))
        return damageMode(atoi(argv[2]), atof(argv[3]), argc > 4 ? argv[4] : NULL);
    if (argc >= 7 && !strcmp(argv[1], "react")) {
        const char* title = strcmp(argv[5], "--") ? argv[5] : NULL;
        return reactMode(atoi(argv[2]), atoi(argv[3]), atof(argv[4]), title, afterDashes(argc, argv, 5));
    }
    if (argc >= 4 && !strcmp(argv[1], "run")) return runMode(atoi(argv[2]), afterDashes(argc, argv, 3));
    fprintf(stderr,
            "usage: xwatch map TIMEOUT_MS -- CMD...\n"
            "       xwatch damage PID SECONDS [TITLE]\n"
            "       xwatch react PID COUNT QUIET_MS [TITLE] -- CMD...\n"
            "       xwatch run COUNT -- CMD...\n");
    return 2;
}
