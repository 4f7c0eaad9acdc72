#pragma once
// Both mixer windows over a simulated card, created as the program creates
// them, with helpers to reach strip widgets by their names and to build
// card descriptions.

#include "app/app_context.h"
#include "app/mixer_controller.h"
#include "config/channel_dialog.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "controls/two_digit_edit.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "platform/sim/sim_driver.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "support/recorded_messages.h"

#include <QAction>
#include <QCheckBox>
#include <QTest>

struct MixerWindows {
    explicit MixerWindows(const QByteArray& json) : ctx(load(json), std::make_unique<RecordedMessages>(messages)) {
        driver = static_cast<SimDriver*>(&ctx.service().driver());
        ctx.createWindows();
        f1 = ctx.Form1();
        rec = ctx.rec();
        ctl = ctx.controller();
    }
    static std::unique_ptr<SimDriver> load(const QByteArray& json) {
        QString error;
        auto d = SimDriver::fromJson(json, &error);
        if (!d) qFatal("card description rejected: %s", qPrintable(error));
        return d;
    }
    template <class T = QWidget>
    T* play(const char* name) const {
        return f1->findChild<T*>(QString::fromLatin1(name));
    }
    template <class T = QWidget>
    T* inRec(const char* name) const {
        return rec->findChild<T*>(QString::fromLatin1(name));
    }
    // The menu's card item i (card1 ... card5).
    QAction* card(int i) const { return rec->findChild<QAction*>(QStringLiteral("card%1").arg(i + 1)); }
    // A strip's panel (cha0, cha2, ...) in its window.
    static QWidget* panel(const ChannelStrip* strip) {
        return static_cast<QWidget*>(strip->parent())
            ->findChild<QWidget*>(QString::fromLatin1(strip->row.names->panel));
    }
    // Control id of control k of a line of device 0 (conn -1: the destination).
    DWORD controlId(int dest, int conn, int k) const {
        const TMixerDestination* d = f1->Mixer->Destinations()->Items(dest);
        return conn < 0 ? d->Controls.Items(k).dwControlID : d->Connections.Items(conn)->Controls.Items(k).dwControlID;
    }
    std::vector<DWORD> values(int dest, int conn, int k) const { return driver->values(0, controlId(dest, conn, k)); }
    // Runs the pending notifications of the card.
    static void settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }

    RecordedMessages::Log messages;  // before the context, which reports into it
    AppContext ctx;
    SimDriver* driver;
    TForm1* f1;
    Trec* rec;
    MixerController* ctl;
};

// A left click on a widget.
inline void click(QWidget* w) {
    QTest::mousePress(w, Qt::LeftButton);
    QTest::mouseRelease(w, Qt::LeftButton);
}

// A stereo or mono source line with a volume and a mute.
inline QByteArray sourceLine(const QString& name, bool stereo = true, int level = 30000) {
    const QString values = stereo ? QStringLiteral("[%1, %1]").arg(level) : QString::number(level);
    return QStringLiteral(R"({"type": "line", "channels": %1, "name": "%2", "controls": [
        {"type": "volume", "values": %3}, {"type": "mute", "uniform": true, "values": 0}]})")
        .arg(stereo ? 2 : 1)
        .arg(name, values)
        .toUtf8();
}

// A card: a speakers destination with the given sources (and tone controls)
// and a recording destination with two sources and the given list kind.
inline QByteArray cardWith(const QList<QByteArray>& sources, const char* list = "mux", const char* name = "Test Card") {
    QByteArray play = "[";
    for (int i = 0; i < sources.size(); ++i) play += (i ? "," : "") + sources[i];
    play += "]";
    return QByteArray(R"({"devices":[{"name":")") + name + R"(","destinations":[
      {"type":"speakers","channels":2,"name":"Speakers","controls":[
        {"type":"volume","values":[40000,40000]},{"type":"mute","uniform":true,"values":0},
        {"type":"bass","uniform":true,"values":30000},{"type":"treble","uniform":true,"values":32768}],
       "sources":)" +
           play + R"(},
      {"type":"wavein","channels":2,"name":"Recording","controls":[
        {"type":"volume","values":[42000,42000]},{"type":")" +
           list + R"(","uniform":true,"values":[1,0]}],
       "sources":[
        {"type":"microphone","channels":1,"name":"Mic","controls":[{"type":"volume","values":30000}]},
        {"type":"line","channels":2,"name":"Line","controls":[{"type":"volume","values":[36000,36000]}]}]}]}]})";
}

inline QList<QByteArray> stereoSources(int n) {
    QList<QByteArray> list;
    for (int i = 0; i < n; ++i) list << sourceLine(QStringLiteral("Src%1").arg(i));
    return list;
}
