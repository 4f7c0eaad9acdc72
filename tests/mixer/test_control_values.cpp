// Level pairs, mute and source-list states, meters and single values.

#include "mixer/audio_mixer.h"
#include "support/sim_fixture.h"
#include "support/test_main.h"

#include <QTest>

namespace {

// Destination 0: playback with assorted sources; destination 1: a MUX
// recording destination; destination 2: a MIXER one.
const char* kCard = R"([
  {"type":"speakers","channels":2,"name":"Play","controls":[
     {"type":"volume","values":[30000,40000]},
     {"type":"treble","uniform":true,"values":12345},
     {"type":"peakmeter","meter":{"signal":"constant","value":900}}],
   "sources":[
     {"type":"microphone","channels":1,"name":"Mono","controls":[{"type":"volume","values":111},{"type":"mute","values":1}]},
     {"type":"waveout","channels":2,"name":"Uniform","controls":[{"type":"volume","uniform":true,"values":222},{"type":"mute","uniform":true}]},
     {"type":"line","channels":2,"name":"NoVolume","controls":[{"type":"mute","uniform":true,"values":1}]},
     {"type":"auxiliary","channels":2,"name":"Disabled","controls":[{"type":"volume","disabled":true,"values":[5,5]},{"type":"volume","values":[6,7]}]},
     {"type":"compactdisc","channels":2,"name":"TwoVolumes","controls":[{"type":"volume","values":[1,1]},{"type":"volume","values":[2,2]}]},
     {"type":"synthesizer","channels":2,"name":"TwoVolumesMute","controls":[{"type":"volume"},{"type":"volume"},{"type":"mute","uniform":true}]},
     {"type":"pcspeaker","channels":1,"name":"Switches","controls":[{"type":"loudness","values":0}]}]},
  {"type":"wavein","channels":2,"name":"RecMux","controls":[{"type":"volume"},{"type":"mux","uniform":true,"values":[0,1,0]}],
   "sources":[{"type":"microphone","name":"M","controls":[{"type":"volume"}]},{"type":"line","name":"L"},{"type":"compactdisc","name":"C"}]},
  {"type":"wavein","channels":2,"name":"RecMixer","controls":[{"type":"mixer","uniform":true,"values":[1,0,1]}],
   "sources":[{"type":"microphone","name":"M"},{"type":"line","name":"L"},{"type":"compactdisc","name":"C"}]}])";

enum { Mono, Uniform, NoVolume, Disabled, TwoVolumes, TwoVolumesMute, Switches };

struct Levels {
    int left = -9, right = -9, mute = -9;
    bool stereo = false, volDisabled = false, muteDisabled = false;
    bool ok = false;
};

Levels levels(TAudioMixer& m, int dest, int conn) {
    Levels l;
    const std::optional<LineLevels> v = m.GetLineLevels(dest, conn);
    l.ok = v.has_value();
    if (v) {
        l.left = v->Left;
        l.right = v->Right;
        l.mute = v->Mute;
        l.stereo = v->Stereo;
        l.volDisabled = v->VolDisabled;
        l.muteDisabled = v->MuteDisabled;
    }
    return l;
}

DWORD controlId(TAudioMixer& m, int dest, int conn, int index) {
    const TMixerDestination* d = m.Destinations()->Items(dest);
    return conn < 0 ? d->Controls.Items(index).dwControlID
                    : d->Connections.Items(conn)->Controls.Items(index).dwControlID;
}

}  // namespace

class TestControlValues : public QObject {
    Q_OBJECT
private slots:
    void readsLevelPairsAndMute() {
        SimFixture f(card(kCard));
        TAudioMixer m(*f.service);
        Levels l = levels(m, 0, -1);
        QVERIFY(l.ok);
        QCOMPARE(l.left, 30000);
        QCOMPARE(l.right, 40000);
        QVERIFY(l.stereo);
        // A destination without a mute control does not look at any list.
        QCOMPARE(l.mute, -1);
        QVERIFY(l.muteDisabled);
        QVERIFY(!l.volDisabled);

        l = levels(m, 0, Mono);
        QCOMPARE(l.left, 111);
        QCOMPARE(l.right, -1);
        QVERIFY(!l.stereo);
        QCOMPARE(l.mute, 1);

        l = levels(m, 0, Uniform);  // one value for a stereo line
        QCOMPARE(l.left, 222);
        QCOMPARE(l.right, -1);
        QVERIFY(!l.stereo);

        l = levels(m, 0, NoVolume);
        QVERIFY(l.ok);
        QCOMPARE(l.left, -1);
        QVERIFY(l.volDisabled);
        QCOMPARE(l.mute, 1);

        l = levels(m, 0, Disabled);  // the disabled control is passed over
        QCOMPARE(l.left, 6);
        QCOMPARE(l.right, 7);
        QVERIFY(!l.volDisabled);

        l = levels(m, 0, TwoVolumes);  // the first one counts
        QCOMPARE(l.left, 1);
    }

    void missingLinesAreRefused() {
        SimFixture f(card(kCard));
        TAudioMixer m(*f.service);
        QVERIFY(!levels(m, 3, -1).ok);
        QVERIFY(!levels(m, 0, 7).ok);
        QVERIFY(!levels(m, -1, 0).ok);
        QVERIFY(!m.SetLineLevels(0, 7, 1, 1, 0));
        bool muted = true;
        QVERIFY(!m.GetLineMute(0, 9, muted));
        QVERIFY(!muted);
        int l = 5, r = 5;
        QVERIFY(!m.GetLineMeter(5, -1, l, r));
        QCOMPARE(l, 0);
        QCOMPARE(r, 0);
    }

    void writesLevelPairsAndMute() {
        SimFixture f(card(kCard));
        TAudioMixer m(*f.service);
        QVERIFY(m.SetLineLevels(0, -1, 100, 200, -1));
        QCOMPARE(f.driver->values(0, controlId(m, 0, -1, 0)), (std::vector<DWORD>{100, 200}));
        QVERIFY(m.SetLineLevels(0, -1, 300, -1, -1));  // -1 on the right: both
        QCOMPARE(f.driver->values(0, controlId(m, 0, -1, 0)), (std::vector<DWORD>{300, 300}));
        QVERIFY(m.SetLineLevels(0, Mono, 5000, 6000, 0));  // mono takes one channel
        QCOMPARE(f.driver->values(0, controlId(m, 0, Mono, 0)), (std::vector<DWORD>{5000}));
        QCOMPARE(f.driver->values(0, controlId(m, 0, Mono, 1)), (std::vector<DWORD>{0}));
        const int before = f.driver->writeCount(0);
        QVERIFY(m.SetLineLevels(0, Mono, -1, -1, 1));  // level untouched
        QCOMPARE(f.driver->writeCount(0), before + 1);
        QCOMPARE(f.driver->values(0, controlId(m, 0, Mono, 0)), (std::vector<DWORD>{5000}));

        // A disabled volume is passed over, as when reading.
        QVERIFY(m.SetLineLevels(0, Disabled, 9, 8, -1));
        QCOMPARE(f.driver->values(0, controlId(m, 0, Disabled, 0)), (std::vector<DWORD>{5, 5}));
        QCOMPARE(f.driver->values(0, controlId(m, 0, Disabled, 1)), (std::vector<DWORD>{9, 8}));

        // Two volume controls: both written while the walk goes on.
        QVERIFY(m.SetLineLevels(0, TwoVolumes, 9, 8, 0));
        QCOMPARE(f.driver->values(0, controlId(m, 0, TwoVolumes, 0)), (std::vector<DWORD>{9, 8}));
        QCOMPARE(f.driver->values(0, controlId(m, 0, TwoVolumes, 1)), (std::vector<DWORD>{9, 8}));
        QVERIFY(m.SetLineLevels(0, TwoVolumesMute, 4, 3, 1));
        QCOMPARE(f.driver->values(0, controlId(m, 0, TwoVolumesMute, 1)), (std::vector<DWORD>{4, 3}));
        QCOMPARE(f.driver->values(0, controlId(m, 0, TwoVolumesMute, 2)), (std::vector<DWORD>{1}));
    }

    void muxDestinationSelectsOneSource() {
        SimFixture f(card(kCard));
        TAudioMixer m(*f.service);
        const DWORD mux = controlId(m, 1, -1, 1);
        Levels l = levels(m, 1, 1);  // "L" has no controls of its own: its item state
        QCOMPARE(l.mute, 1);
        QVERIFY(!l.muteDisabled);
        QCOMPARE(levels(m, 1, 0).mute, 0);
        bool muted = false;
        QVERIFY(m.GetLineMute(1, 1, muted));
        QVERIFY(muted);
        QVERIFY(m.SetLineLevels(1, 2, -1, -1, 1));
        QCOMPARE(f.driver->values(0, mux), (std::vector<DWORD>{0, 0, 1}));
        QVERIFY(m.GetLineMute(1, 1, muted));
        QVERIFY(!muted);
        QVERIFY(m.SetLineLevels(1, 2, -1, -1, 0));  // clearing leaves nothing chosen
        QCOMPARE(f.driver->values(0, mux), (std::vector<DWORD>{0, 0, 0}));
    }

    void mixerDestinationKeepsOtherSources() {
        SimFixture f(card(kCard));
        TAudioMixer m(*f.service);
        const DWORD list = controlId(m, 2, -1, 0);
        QVERIFY(m.SetLineLevels(2, 1, -1, -1, 1));
        QCOMPARE(f.driver->values(0, list), (std::vector<DWORD>{1, 1, 1}));
        QVERIFY(m.SetLineLevels(2, 0, -1, -1, 0));
        QCOMPARE(f.driver->values(0, list), (std::vector<DWORD>{0, 1, 1}));
        bool muted = true;
        QVERIFY(m.GetLineMute(2, 0, muted));
        QVERIFY(!muted);
    }

    void destinationWithoutMute() {
        SimFixture f(card(kCard));
        TAudioMixer m(*f.service);
        bool muted = true;
        QVERIFY(!m.GetLineMute(1, -1, muted));
        QVERIFY(!muted);
    }

    void listIndicesBeyondTheBufferAreRefused() {
        // 40 sources on a MUX destination: the last ones cannot be selected
        // through the 31-value buffer, and nothing past it is touched.
        QByteArray sources = "[";
        QByteArray values = "[";
        for (int i = 0; i < 40; ++i) {
            sources += QByteArray(i ? "," : "") + "{\"type\":\"line\",\"name\":\"S" + QByteArray::number(i) + "\"}";
            values += QByteArray(i ? "," : "") + "0";
        }
        sources += "]";
        values += "]";
        SimFixture f(
            card("[{\"type\":\"wavein\",\"name\":\"R\",\"controls\":[{\"type\":\"mux\",\"uniform\":true,\"values\":" +
                 values + "}],\"sources\":" + sources + "}]"));
        TAudioMixer m(*f.service);
        const DWORD mux = controlId(m, 0, -1, 0);
        const int writes = f.driver->writeCount(0);
        QVERIFY(m.SetLineLevels(0, 35, -1, -1, 1));
        QCOMPARE(f.driver->writeCount(0), writes);
        Levels l = levels(m, 0, 35);
        QCOMPARE(l.mute, -1);
        QVERIFY(l.muteDisabled);
        // The list itself has 40 values: more than the buffer holds, so even
        // a small index is not read through it.
        l = levels(m, 0, 3);
        QCOMPARE(l.mute, -1);
        QVERIFY(m.SetLineLevels(0, 3, -1, -1, 1));
        QCOMPARE(f.driver->writeCount(0), writes);
        QCOMPARE(f.driver->values(0, mux)[3], 0u);
    }

    void metersAndSingleValues() {
        SimFixture f(card(kCard));
        TAudioMixer m(*f.service);
        int l = 0, r = 0;
        QVERIFY(m.GetLineMeter(0, -1, l, r));
        QCOMPARE(l, 900);
        QCOMPARE(r, 900);
        QVERIFY(!m.GetLineMeter(0, Mono, l, r));  // no meter control
        QCOMPARE(l, 0);
        QCOMPARE(m.GetControlValue(0, -1, 1), 12345);
        m.SetControlValue(0, -1, 1, 54321);
        QCOMPARE(m.GetControlValue(0, -1, 1), 54321);
        m.SetControlValue(0, Switches, 0, 1);
        QCOMPARE(m.GetControlValue(0, Switches, 0), 1);
        // Indices that name no control read 0 and write nothing.
        QCOMPARE(m.GetControlValue(0, -1, -2), 0);
        QCOMPARE(m.GetControlValue(0, -1, 99), 0);
        const int writes = f.driver->writeCount(0);
        QVERIFY(!m.SetControlValue(0, -1, -2, 1));
        QVERIFY(!m.SetControlValue(0, -1, 99, 1));
        QVERIFY(!m.SetControlValue(0, 99, 0, 1));
        QCOMPARE(f.driver->writeCount(0), writes);
    }

    // A device that refuses a write says so; the other writes of the same
    // call still happen.
    void refusedWritesAreReported() {
        SimFixture f(card(R"([
          {"type":"speakers","channels":2,"name":"Play","controls":[
             {"type":"volume","values":[1,1]},{"type":"mute","uniform":true,"writeFails":true},
             {"type":"bass","uniform":true,"writeFails":true},{"type":"treble","uniform":true}],
           "sources":[{"type":"line","name":"Locked","controls":[{"type":"volume","writeFails":true}]}]},
          {"type":"wavein","name":"Rec","controls":[{"type":"mux","uniform":true,"writeFails":true,"values":[1,0]}],
           "sources":[{"type":"microphone","name":"M"},{"type":"line","name":"L"}]}])"));
        TAudioMixer m(*f.service);
        const DWORD volume = controlId(m, 0, -1, 0);
        QVERIFY(!m.SetLineLevels(0, -1, 500, 600, 1));  // the mute is refused
        QCOMPARE(f.driver->values(0, volume), (std::vector<DWORD>{500, 600}));
        QVERIFY(m.SetLineLevels(0, -1, 700, 800, -1));  // the level alone goes through
        QVERIFY(!m.SetLineLevels(0, 0, 700, -1, -1));
        QVERIFY(!m.SetLineLevels(1, 1, -1, -1, 1));  // the source list is refused
        QCOMPARE(f.driver->values(0, controlId(m, 1, -1, 0)), (std::vector<DWORD>{1, 0}));
        QVERIFY(!m.SetControlValue(0, -1, 2, 65535));
        QVERIFY(m.SetControlValue(0, -1, 3, 65535));
        QCOMPARE(m.GetControlValue(0, -1, 3), 65535);
    }
};

TAVLO_TEST_GUILESS_MAIN(TestControlValues)
#include "test_control_values.moc"
