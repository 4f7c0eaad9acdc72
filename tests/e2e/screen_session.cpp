// What the user sees, step by step. The program (its application context
// over the sound server driver, as a desktop user gets it) runs on a real X
// server, driven as a user drives it: clicks on its tray icons through the
// tray host, the menu's items, the channel dialog's O.K.; meanwhile other
// programs change the sound server under it: volumes and mutes, streams,
// sinks and sources coming and going, a new default, the server restarted.
//
// After every step, once the windows have settled:
// - every mapped window of the program, as the X server shows it, is the
//   same picture as the window rendered afresh from its current state
//   (parts covered by another of the program's windows are left out);
// - every shown read-out and mute button says what the server holds, read
//   through a client of its own;
// - the X server has the mixer windows where the program thinks they are,
//   and with the magnet on the recording window hangs below the playback
//   window.
//
// Run by screen_layer.sh, which provides the X server (with or without a
// window manager) and a tray host. TAVLO_SCREEN_SERVER picks the sound
// server (pulseaudio or pipewire), TAVLO_SCREEN_SEED and
// TAVLO_SCREEN_STEPS a random session after the scripted one,
// TAVLO_SCREEN_ARTIFACTS a folder for the pictures of a failed check.

#include "app/app_context.h"
#include "app/magnet.h"
#include "app/mixer_controller.h"
#include "config/channel_dialog.h"
#include "controls/balloon.h"
#include "controls/smooth_show.h"
#include "controls/tray_icon.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "platform/driver_factory.h"
#include "platform/mixer_service.h"
#include "platform/pulse/pulse_driver.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "support/recorded_messages.h"
#include "support/sound_servers.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <xcb/xcb.h>

#include <functional>
#include <memory>

namespace {

int envInt(const char* name, int otherwise) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : otherwise;
}

// The X window a top-level widget shows in now. QWidget::winId() may name
// one Qt has since replaced (a window whose flags changed while it was
// hidden gets a new one); the QWindow knows.
WId nativeWindow(QWidget* w) { return w->windowHandle() ? w->windowHandle()->winId() : w->winId(); }

// Sends what the program asked of the X server. Qt takes the server for
// itself now and then (the tray icon's lookup) and lets it go in a request
// that waits in its buffer until the event loop runs: a test that waits for
// another X client meanwhile would wait for ever.
void flushX() {
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) xcb_flush(x11->connection());
}

// Runs another X client to its end.
int runX(const QString& program, const QStringList& args) {
    flushX();
    return QProcess::execute(program, args);
}

// Where the X server has a window's top left corner.
std::optional<QPoint> placeOnScreen(QWidget* w) {
    flushX();
    QProcess p;
    p.start(QStringLiteral("xdotool"),
            {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(nativeWindow(w))});
    if (!p.waitForFinished(5000) || p.exitCode() != 0) return std::nullopt;
    int x = 0, y = 0, found = 0;
    for (const QString& line : QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("X="))) x = line.mid(2).toInt(), ++found;
        if (line.startsWith(QLatin1String("Y="))) y = line.mid(2).toInt(), ++found;
    }
    return found == 2 ? std::optional<QPoint>(QPoint(x, y)) : std::nullopt;
}

// The window's picture as the X server has it, read by another client: the
// program's own view of its buffer is not what reaches the screen.
QImage xServerPicture(WId window) {
    flushX();
    QProcess p;
    p.start(QStringLiteral("import"), {QStringLiteral("-window"), QString::number(window), QStringLiteral("png:-")});
    if (!p.waitForFinished(5000) || p.exitCode() != 0) {
        qWarning().noquote() << "the X server gave no picture of window" << window << ":" << p.readAllStandardError();
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return QImage::fromData(p.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// Two pixels of different pictures. Antialiased edges (the knobs') come
// out some shades apart between the window's buffer and a fresh drawing; a
// stale picture differs by far more.
bool unlike(QRgb a, QRgb b) {
    constexpr int kShade = 48;
    return std::abs(qRed(a) - qRed(b)) > kShade || std::abs(qGreen(a) - qGreen(b)) > kShade ||
           std::abs(qBlue(a) - qBlue(b)) > kShade;
}

}  // namespace

class ScreenSession : public QObject {
    Q_OBJECT

    std::unique_ptr<SoundServer> server_;
    RecordedMessages::Log said_;
    std::unique_ptr<AppContext> app_;
    // As the program has it: every hint a balloon.
    TBalloonHint balloons_;
    std::unique_ptr<MixerService> checker_;
    std::unique_ptr<TAudioMixer> cardView_;
    bool trayHost_ = false;
    int players_ = 0;
    int extraSinks_ = 0;
    int extraSources_ = 0;
    QString failure_;
    QString step_;
    QRandomGenerator rng_{20261209};
    int checks_ = 0;

    TForm1& play() { return *app_->Form1(); }
    Trec& rec() { return *app_->rec(); }
    TForm4& dialog() { return *app_->Form4(); }
    MixerController& controller() { return *app_->controller(); }

    // --- settling -------------------------------------------------------------

    bool animating() {
        for (TSmoothShow* s : {play().SmoothShow1, rec().SmoothShow1, dialog().SmoothShow1, app_->Form2()->SmoothShow1})
            if (s->Running()) return true;
        return play().Timer2->isActive();
    }

    // Until no window rolls and nothing is queued; a check then waits for
    // what the server still has to say.
    void settle() {
        QDeadlineTimer deadline(5000);
        do {
            QTest::qWait(60);
        } while (animating() && !deadline.hasExpired());
        QTest::qWait(150);
    }

    // --- the checks -------------------------------------------------------------

    // The parts of w that other shown windows of the program cover.
    QRegion coveredParts(QWidget* w) {
        QRegion covered;
        const QRect mine = w->geometry();
        for (QWidget* other : QApplication::topLevelWidgets())
            if (other != w && other->isVisible() && other->geometry().intersects(mine))
                covered += other->geometry().intersected(mine).translated(-mine.topLeft());
        return covered;
    }

    // Empty when the X server shows w as w draws itself now.
    QString pictureDiffers(QWidget* w) {
        const QImage shown = xServerPicture(nativeWindow(w));
        const QImage fresh = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (shown.size() != fresh.size())
            return QStringLiteral("%1 is %2x%3 on the screen, %4x%5 drawn")
                .arg(w->objectName())
                .arg(shown.width())
                .arg(shown.height())
                .arg(fresh.width())
                .arg(fresh.height());
        const QRegion covered = coveredParts(w);
        int differing = 0;
        QRect where;
        for (int y = 0; y < shown.height(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(fresh.constScanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                if (unlike(a[x], b[x]) && !covered.contains(QPoint(x, y))) {
                    ++differing;
                    where |= QRect(x, y, 1, 1);
                }
        }
        if (differing == 0) return {};
        QWidget* at = w->childAt(where.center());
        const QString dir = qEnvironmentVariable("TAVLO_SCREEN_ARTIFACTS");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            const QString stem = QStringLiteral("%1/%2-%3").arg(dir, step_, w->objectName());
            shown.save(stem + QStringLiteral("-screen.png"));
            fresh.save(stem + QStringLiteral("-drawn.png"));
        }
        return QStringLiteral("%1: %2 pixels on the screen differ from a fresh drawing, within (%3,%4 %5x%6), at %7")
            .arg(w->objectName())
            .arg(differing)
            .arg(where.x())
            .arg(where.y())
            .arg(where.width())
            .arg(where.height())
            .arg(at ? at->objectName() : QStringLiteral("the window"));
    }

    QString picturesDiffer() {
        QStringList out;
        for (QWidget* w : std::initializer_list<QWidget*>{&play(), &rec(), &dialog(), app_->Form2()})
            if (w->isVisible())
                if (QString d = pictureDiffers(w); !d.isEmpty()) out << d;
        return out.join(QLatin1String("; "));
    }

    // The card as another client of the server sees it, opened on the
    // device the program shows: a client of its own for every look, so that
    // nothing it kept from before can hide a change.
    TAudioMixer* card() {
        cardView_.reset();
        checker_.reset();
        QString error;
        auto driver = PulseDriver::open(std::chrono::milliseconds(5000), &error);
        if (!driver) return nullptr;
        checker_ = std::make_unique<MixerService>(std::move(driver));
        cardView_ = std::make_unique<TAudioMixer>(*checker_);
        TAudioMixer* view = cardView_.get();
        for (int i = 0; i < view->MixerCount(); ++i) {
            view->SetMixerId(i);
            if (view->ProductName() == app_->state().BoundProductName) return view;
        }
        return nullptr;
    }

    // The line of the card that a strip shows, by name: (-2) none.
    static int lineNamed(TAudioMixer* view, int dest, const QString& name) {
        const TMixerDestinations* list = view->Destinations();
        if (!list || dest < 0 || dest >= list->Count()) return -2;
        const TMixerDestination* d = list->Items(dest);
        if (QString::fromLocal8Bit(d->LineInfo.szName) == name) return -1;
        for (int c = 0; c < d->Connections.Count(); ++c)
            if (QString::fromLocal8Bit(d->Connections.Items(c)->LineInfo.szName) == name) return c;
        return -2;
    }

    static QStringList lineNames(TAudioMixer* view, int dest) {
        QStringList names;
        const TMixerDestinations* list = view->Destinations();
        if (!list || dest < 0 || dest >= list->Count()) return names;
        const TMixerDestination* d = list->Items(dest);
        for (int c = 0; c < d->Connections.Count(); ++c)
            names << QString::fromLocal8Bit(d->Connections.Items(c)->LineInfo.szName);
        return names;
    }

    // Every line of the card has its strip, while there are strips.
    QString stripsMissing(TAudioMixer* view, QWidget& window, const std::vector<ChannelStrip*>& strips, int dest) {
        if (!window.isVisible()) return {};
        QStringList shown;
        for (ChannelStrip* strip : strips)
            if (strip->Bound()) shown << strip->Name();
        QStringList out;
        const TMixerDestinations* list = view->Destinations();
        if (list && dest >= 0 && dest < list->Count() && !strips.front()->Bound())
            out << QStringLiteral("%1 has no master strip").arg(window.objectName());
        const QStringList lines = lineNames(view, dest);
        for (int c = 0; c < lines.size() && c + 1 < int(strips.size()); ++c)
            if (!shown.contains(lines[c])) out << QStringLiteral("\"%1\" has no strip").arg(lines[c]);
        return out.join(QLatin1String("; "));
    }

    QString readoutsDiffer() {
        if (!app_->state().InitDone || app_->state().BoundProductName.isEmpty()) return {};
        TAudioMixer* view = card();
        if (!view)
            return QStringLiteral("the card shown (%1) is not on the server").arg(app_->state().BoundProductName);
        QStringList out;
        const SharedState& s = app_->state();
        auto checkStrips = [&](QWidget& window, const std::vector<ChannelStrip*>& strips, int dest) {
            if (!window.isVisible()) return;
            for (ChannelStrip* strip : strips) {
                if (!strip->Bound()) continue;
                auto* panel = window.findChild<QWidget*>(QLatin1String(strip->row.names->panel));
                if (!panel || !panel->isVisibleTo(&window)) continue;
                const int conn = lineNamed(view, dest, strip->Name());
                if (conn == -2) {
                    out << QStringLiteral("%1 shows \"%2\", which the card does not have (it has %3)")
                               .arg(strip->row.names->panel, strip->Name(), lineNames(view, dest).join(", "));
                    continue;
                }
                const std::optional<LineLevels> levels = view->GetLineLevels(dest, conn);
                if (!levels) continue;
                const int l = levels->Left, r = levels->Right;
                const bool stereo = levels->Stereo, volDisabled = levels->VolDisabled;
                const int want[2] = {std::min(99, l / 655), std::min(99, r / 655)};
                const char* names[2] = {strip->row.names->readL, strip->row.names->readR};
                for (int side = 0; side < 2; ++side) {
                    auto* edit = window.findChild<QLineEdit*>(QLatin1String(names[side]));
                    if (!edit || !edit->isVisibleTo(&window) || volDisabled) continue;
                    // A one-channel line shows its one level on whichever side is shown.
                    const int expected = stereo ? want[side] : want[0];
                    if (edit->text().toInt() != expected)
                        out << QStringLiteral("%1 (%2) reads %3, the card holds %4")
                                   .arg(names[side], strip->Name(), edit->text())
                                   .arg(expected);
                }
                bool muted = false;
                if (&window == &play() && strip->MuteIndex() >= 0 && view->GetLineMute(dest, conn, muted) &&
                    muted != strip->MuteOn())
                    out << QStringLiteral("%1 (%2) is drawn %3, the card is %4")
                               .arg(strip->row.names->mute, strip->Name(),
                                    strip->MuteOn() ? QStringLiteral("muted") : QStringLiteral("sounding"),
                                    muted ? QStringLiteral("muted") : QStringLiteral("sounding"));
            }
        };
        checkStrips(play(), play().strips(), s.PlayDestIndex);
        checkStrips(rec(), rec().strips(), s.RecDestIndex);
        for (const QString& missing : {stripsMissing(view, play(), play().strips(), s.PlayDestIndex),
                                       stripsMissing(view, rec(), rec().strips(), s.RecDestIndex)})
            if (!missing.isEmpty()) out << missing;
        return out.join(QLatin1String("; "));
    }

    // What the program said to the user: never that a stand-in output went
    // (PipeWire's "Dummy Output", gone when a real output comes).
    QString messagesWrong() {
        for (const QString& text : said_.information + said_.warnings)
            if (text.contains(QLatin1String("Dummy Output")))
                return QStringLiteral("the program said: \"%1\"").arg(text);
        return {};
    }

    QString placesDiffer() {
        QStringList out;
        for (QWidget* w : std::initializer_list<QWidget*>{&play(), &rec()}) {
            if (!w->isVisible()) continue;
            const auto at = placeOnScreen(w);
            if (at && *at != w->pos())
                out << QStringLiteral("%1 is at %2,%3 on the screen, at %4,%5 for the program")
                           .arg(w->objectName())
                           .arg(at->x())
                           .arg(at->y())
                           .arg(w->x())
                           .arg(w->y());
        }
        // The magnet holds while it runs: the recording window below.
        if (play().isVisible() && rec().isVisible() && rec().Timer1->isActive()) {
            const QPoint below = recordingBelow(play().geometry(), rec().size());
            if (rec().pos() != below)
                out << QStringLiteral("the magnet runs, yet the recording window is at %1,%2, not at %3,%4")
                           .arg(rec().x())
                           .arg(rec().y())
                           .arg(below.x())
                           .arg(below.y());
        }
        return out.join(QLatin1String("; "));
    }

    // Each check may take the server's answers some time; a picture or a
    // value that stays wrong fails.
    void check(const QString& what) {
        step_ = QStringLiteral("%1 %2").arg(++checks_, 2, 10, QLatin1Char('0')).arg(what);
        settle();
        QString pictures, values;
        QDeadlineTimer deadline(2500);
        do {
            pictures = picturesDiffer();
            values.clear();
            for (const QString& p : {readoutsDiffer(), placesDiffer(), messagesWrong()})
                if (!p.isEmpty()) values += (values.isEmpty() ? QString() : QStringLiteral("; ")) + p;
            if (pictures.isEmpty() && values.isEmpty()) return;
            QTest::qWait(250);
        } while (!deadline.hasExpired());
        if (!pictures.isEmpty()) {
            // Stale, or drawn another way? Repainting every widget tells.
            for (QWidget* w : QApplication::topLevelWidgets()) {
                w->update();
                for (QWidget* child : w->findChildren<QWidget*>()) child->update();
            }
            QTest::qWait(300);
            pictures += picturesDiffer().isEmpty() ? QStringLiteral(" (stale: repainting every widget mends it)")
                                                   : QStringLiteral(" (repainting every widget leaves it)");
        }
        const QString problem = pictures.isEmpty() ? values
                                : values.isEmpty() ? pictures
                                                   : pictures + QStringLiteral("; ") + values;
        if (failure_.isEmpty()) failure_ = QStringLiteral("after \"%1\": %2").arg(what, problem);
        qWarning().noquote() << "after" << what << ":" << problem;
    }

    // --- the user's gestures ------------------------------------------------------

    // A click on a tray icon through the tray host, or, without one, the
    // click the icon would report.
    void clickTray(TTrayIconF* icon, bool twice = false) {
        if (trayHost_) {
            const QRect at = icon->Tray()->geometry();
            if (at.isValid()) {
                QStringList args{QStringLiteral("mousemove"), QString::number(at.center().x()),
                                 QString::number(at.center().y()), QStringLiteral("click")};
                if (twice)
                    args << QStringLiteral("--repeat") << QStringLiteral("2") << QStringLiteral("--delay")
                         << QStringLiteral("60");
                args << QStringLiteral("1");
                runX(QStringLiteral("xdotool"), args);
                // Away again: a pointer resting over a window would raise its balloon.
                runX(QStringLiteral("xdotool"),
                     {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("799")});
                return;
            }
        }
        emit icon->Tray()->activated(QSystemTrayIcon::Trigger);
        if (twice) {
            emit icon->Tray()->activated(QSystemTrayIcon::Trigger);
            emit icon->Tray()->activated(QSystemTrayIcon::DoubleClick);
        }
    }

    void showBoth() {
        if (!play().isVisible()) clickTray(play().TrayIconF2);
        settle();
    }
    void hideBoth() {
        if (play().isVisible()) clickTray(play().TrayIconF2);
        if (rec().isVisible()) clickTray(rec().TrayIconF1);
        settle();
    }

    bool pactl(const QStringList& args) { return server_->pactl(args).has_value(); }

    // The pointer rests on a read-out of a shown mixer window that is not
    // the active one: its hint shows as a balloon all the same.
    void hintOverInactiveWindow() {
        QWidget* window = rec().isVisible() && !rec().isActiveWindow()     ? static_cast<QWidget*>(&rec())
                          : play().isVisible() && !play().isActiveWindow() ? static_cast<QWidget*>(&play())
                                                                           : nullptr;
        if (!window) return;
        auto* readout = window->findChild<QLineEdit*>(QStringLiteral("MaskEdit2"));
        if (!readout || !readout->isVisible()) return;
        const QPoint at = readout->mapToGlobal(readout->rect().center());
        // As a hand does: onto it, then a pixel further.
        runX(QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(50);
        runX(QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QString::number(at.x() + 1), QString::number(at.y())});
        bool shown = false;
        for (int i = 0; i < 30 && !shown; ++i) {
            QTest::qWait(100);
            for (QWidget* w : QApplication::topLevelWidgets())
                shown = shown || (w->isVisible() && w->inherits("TBalloonHintWindow"));
        }
        runX(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("799")});
        if (!shown && failure_.isEmpty())
            failure_ =
                QStringLiteral("no balloon over %1 while it was not the active window").arg(window->objectName());
    }

    // A stream playing silence to a sink: it gets a strip; its meter rests.
    void startStream(const QString& sink) { server_->playSilence(sink, QStringLiteral("Player %1").arg(++players_)); }

    // --- the steps -------------------------------------------------------------------

    using Step = std::pair<QString, std::function<void()>>;

    std::vector<Step> steps() {
        return {
            {QStringLiteral("tray: both windows"), [this] { clickTray(play().TrayIconF2); }},
            {QStringLiteral("tray: playback window"), [this] { clickTray(play().TrayIconF1); }},
            {QStringLiteral("tray: recording window"), [this] { clickTray(rec().TrayIconF1); }},
            {QStringLiteral("tray: double click on the speaker"), [this] { clickTray(play().TrayIconF1, true); }},
            {QStringLiteral("menu: animation on/off"), [this] { rec().anim->trigger(); }},
            {QStringLiteral("outside: master volume and mute"),
             [this] {
                 pactl({QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"),
                        QStringLiteral("%1%").arg(rng_.bounded(5, 95))});
                 pactl({QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("toggle")});
             }},
            {QStringLiteral("outside: every sink's volume"),
             [this] {
                 for (const QString& sink : server_->sinks())
                     pactl({QStringLiteral("set-sink-volume"), sink, QStringLiteral("%1%").arg(rng_.bounded(5, 95))});
             }},
            {QStringLiteral("outside: source volume"),
             [this] {
                 pactl({QStringLiteral("set-source-volume"), QStringLiteral("@DEFAULT_SOURCE@"),
                        QStringLiteral("%1%").arg(rng_.bounded(5, 95))});
             }},
            {QStringLiteral("menu: the other card"),
             [this] {
                 const int count = play().Mixer->MixerCount();
                 if (count < 2) return;
                 const int k = (app_->state().MixerIndex + 1) % std::min(count, 5);
                 const bool shown = play().isVisible();
                 const QPoint before = play().pos();
                 rec().findChild<QAction*>(QStringLiteral("card%1").arg(k + 1))->trigger();
                 settle();
                 // The windows come back where they were.
                 if (shown && play().pos() != before && failure_.isEmpty())
                     failure_ = QStringLiteral("after a card switch the playback window moved from %1,%2 to %3,%4")
                                    .arg(before.x())
                                    .arg(before.y())
                                    .arg(play().x())
                                    .arg(play().y());
             }},
            {QStringLiteral("dialog: O.K."),
             [this] {
                 rec().chanel->trigger();
                 // The dialog as it opens: the boxes of the card shown.
                 check(QStringLiteral("dialog: open"));
                 dialog().SpeedButton1->click();
             }},
            {QStringLiteral("server: a stream starts"), [this] { startStream(QStringLiteral("@DEFAULT_SINK@")); }},
            {QStringLiteral("pointer: a hint over a window not active"), [this] { hintOverInactiveWindow(); }},
            {QStringLiteral("server: a stream ends"), [this] { server_->stopOnePlayer(); }},
            {QStringLiteral("server: a sink comes"),
             [this] { server_->addSink(QStringLiteral("extra%1").arg(++extraSinks_)); }},
            {QStringLiteral("server: a sink goes"), [this] { server_->removeOneSink(); }},
            {QStringLiteral("server: a source comes"),
             [this] { server_->addSource(QStringLiteral("mic%1").arg(++extraSources_)); }},
            {QStringLiteral("server: a new default sink"),
             [this] {
                 const QStringList sinks = server_->sinks();
                 if (sinks.size() > 1)
                     pactl({QStringLiteral("set-default-sink"), sinks.at(rng_.bounded(int(sinks.size())))});
             }},
        };
    }

    void run(const std::vector<Step>& all, const QString& name) {
        for (const Step& s : all)
            if (s.first == name) {
                qInfo().noquote() << "step:" << name;
                s.second();
                check(name);
                return;
            }
        QFAIL(qPrintable(QStringLiteral("no step \"%1\"").arg(name)));
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X server (run through screen_layer.sh)");
        QString why;
        server_ = SoundServer::make(qEnvironmentVariable("TAVLO_SCREEN_SERVER", QStringLiteral("pulseaudio")));
        if (!server_) QSKIP("the sound server is not installed");
        server_->useFromThisProcess();
        trayHost_ = QSystemTrayIcon::isSystemTrayAvailable();
        balloons_.SetActive(true);
        if (qEnvironmentVariableIsSet("TAVLO_SCREEN_STEADY_CARET"))
            // A caret that blinks would differ between two pictures taken apart.
            QApplication::setCursorFlashTime(0);
        runX(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("799")});
    }

    void init() {
        failure_.clear();
        said_ = {};
        QString why;
        QVERIFY2(server_->start(&why), qPrintable(why));
        QVERIFY2(server_->addSink(QStringLiteral("second"), QStringLiteral("Second Speakers")),
                 qPrintable(server_->lastError()));
        QString error;
        auto driver = PulseDriver::open(std::chrono::milliseconds(5000), &error);
        QVERIFY2(driver, qPrintable(error));
        app_ = std::make_unique<AppContext>(std::move(driver), std::make_unique<RecordedMessages>(said_));
        app_->state().StartingUp = true;
        app_->createWindows();
        // The rolls' frames come quicker: their timing is not what is looked
        // at here, the outline the windows hide behind and its end are.
        for (TSmoothShow* roll :
             {play().SmoothShow1, rec().SmoothShow1, dialog().SmoothShow1, app_->Form2()->SmoothShow1})
            roll->SetDelay(10);
        controller().Timer1Timer();  // the end of the splash phase, without the wait
        settle();
    }

    void cleanup() {
        app_.reset();
        cardView_.reset();
        checker_.reset();
        server_->stop();
    }

    // The sessions a user has every day, one check after each step.
    void scriptedSession() {
        const auto all = steps();
        for (const char* name : {
                 "tray: both windows",
                 "outside: master volume and mute",
                 "tray: both windows",
                 "outside: master volume and mute",
                 "tray: both windows",
                 "tray: double click on the speaker",
                 "menu: the other card",
                 "menu: the other card",
                 "dialog: O.K.",
                 "server: a stream starts",
                 "pointer: a hint over a window not active",
                 "server: a stream ends",
                 "server: a source comes",
                 "outside: source volume",
                 "server: a new default sink",
                 "menu: animation on/off",
                 "tray: both windows",
                 "outside: every sink's volume",
                 "tray: both windows",
             })
            run(all, QString::fromLatin1(name));
        QVERIFY2(failure_.isEmpty(), qPrintable(failure_));
    }

    // The shown sink taken away, then the server restarted under the program.
    void serverChanges() {
        const auto all = steps();
        run(all, QStringLiteral("tray: both windows"));
        run(all, QStringLiteral("menu: the other card"));
        server_->removeSink(QStringLiteral("second"));
        check(QStringLiteral("the sink shown goes"));
        run(all, QStringLiteral("server: a stream starts"));
        run(all, QStringLiteral("server: a stream ends"));
        server_->restart();
        check(QStringLiteral("the server restarts"));
        QVERIFY(server_->addSink(QStringLiteral("second"), QStringLiteral("Second Speakers")));
        run(all, QStringLiteral("server: a source comes"));
        run(all, QStringLiteral("server: a stream starts"));
        run(all, QStringLiteral("menu: the other card"));
        QVERIFY2(failure_.isEmpty(), qPrintable(failure_));
    }

    // Started two seconds before the sound server, as an autostart that
    // wins the race is, with the back end chosen as on a desktop: it ends
    // up showing the server's outputs, drawn as they are.
    void startedBeforeTheServer() {
        app_.reset();
        server_->stop();
        said_ = {};
        QString error;
        auto driver = makeMixerDriver(QString(), &error);
        QVERIFY2(driver, qPrintable(error));
        app_ = std::make_unique<AppContext>(std::move(driver), std::make_unique<RecordedMessages>(said_));
        app_->state().StartingUp = true;
        app_->createWindows();
        controller().Timer1Timer();
        QTest::qWait(2000);
        QString why;
        QVERIFY2(server_->start(&why), qPrintable(why));
        QTRY_COMPARE_WITH_TIMEOUT(app_->state().BoundProductName, QStringLiteral("Speakers"), 10000);
        const auto all = steps();
        run(all, QStringLiteral("tray: both windows"));
        run(all, QStringLiteral("server: a stream starts"));
        run(all, QStringLiteral("outside: master volume and mute"));
        QVERIFY2(failure_.isEmpty(), qPrintable(failure_));
    }

    // Steps in an order drawn from a seed; the seed is printed so a failure
    // can be played again.
    void randomSession() {
        const int count = envInt("TAVLO_SCREEN_STEPS", 12);
        const quint32 seed = static_cast<quint32>(envInt("TAVLO_SCREEN_SEED", 20261209));
        qInfo("random session: seed %u, %d steps", seed, count);
        rng_.seed(seed);
        const auto all = steps();
        run(all, QStringLiteral("tray: both windows"));
        for (int i = 0; i < count && failure_.isEmpty(); ++i) run(all, all[rng_.bounded(int(all.size()))].first);
        QVERIFY2(failure_.isEmpty(), qPrintable(failure_));
    }
};

QTEST_MAIN(ScreenSession)
#include "screen_session.moc"
