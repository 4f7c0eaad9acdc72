// The mixer model: opening, the line and control tree, failed queries and
// the two change events.

#include "mixer/audio_mixer.h"
#include "support/sim_fixture.h"
#include "support/test_main.h"

#include <QTest>

namespace {

const char* kTwoCards = R"({"devices":[
  {"name":"First","mid":1,"pid":7,"driverVersion":300,"destinations":[
    {"type":"speakers","name":"Speakers","controls":[{"type":"volume"},{"type":"mute"}],
     "sources":[{"type":"waveout","name":"A","controls":[{"type":"volume"}]},
                {"type":"line","name":"B","queryFails":true},
                {"type":"compactdisc","name":"C","controlsQueryFails":true,"controls":[{"type":"volume"}]}]},
    {"type":"wavein","name":"Rec","queryFails":true},
    {"type":"voicein","name":"Voice"}]},
  {"name":"Second","mid":2,"destinations":[{"type":"speakers","name":"S2"}]}]})";

}  // namespace

class TestAudioMixer : public QObject {
    Q_OBJECT
private slots:
    void opensDeviceZeroAndBuildsTheTree() {
        SimFixture f(kTwoCards);
        TAudioMixer m(*f.service);
        QCOMPARE(m.MixerCount(), 2);
        QCOMPARE(m.MixerId(), 0);
        QCOMPARE(m.ProductName(), QStringLiteral("First"));
        QCOMPARE(m.Manufacturer(), QStringLiteral("Microsoft"));
        QCOMPARE(m.ProductId(), quint16(7));
        QCOMPARE(m.DriverVersion(), 300);
        QCOMPARE(m.NumberOfLine(), 3);
        // The failed destination query is skipped: voice-in moves up.
        QCOMPARE(m.Destinations()->Count(), 2);
        QCOMPARE(QByteArray(m.Destinations()->Items(1)->LineInfo.szName), QByteArray("Voice"));
        QCOMPARE(m.Destinations()->Items(1)->LineInfo.dwDestination, 2u);
        // The failed source query is skipped: the third source is at index 1.
        const TMixerDestination* play = m.Destinations()->Items(0);
        QCOMPARE(play->Connections.Count(), 2);
        QCOMPARE(QByteArray(play->Connections.Items(1)->LineInfo.szName), QByteArray("C"));
        // A failed control query leaves the line without controls.
        QCOMPARE(play->Connections.Items(1)->Controls.Count(), 0);
        QCOMPARE(play->Connections.Items(0)->Controls.Count(), 1);
        QCOMPARE(play->Controls.Count(), 2);
        QCOMPARE(play->Controls.Items(1).dwControlType, MIXERCONTROL_CONTROLTYPE_MUTE);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, play->Connections.Items(2));
        // The lookups by index answer within the tree, and nothing past it.
        QCOMPARE(m.Destination(0), play);
        QCOMPARE(m.LineNames(0), QStringList({"Speakers", "A", "C"}));
        QCOMPARE(m.SourceCount(0), 2);
        QCOMPARE(m.LineInfoAt(0, 1), &play->Connections.Items(1)->LineInfo);
        QCOMPARE(m.DestinationName(1), QStringLiteral("Voice"));
        QCOMPARE(m.DestinationLine(1), &m.Destinations()->Items(1)->LineInfo);
        for (int dest : {-1, 2, 187}) {
            QVERIFY(!m.Destination(dest) && !m.DestinationLine(dest) && !m.LineInfoAt(dest, -1));
            QCOMPARE(m.SourceCount(dest), 0);
            QVERIFY(m.LineNames(dest).isEmpty() && m.DestinationName(dest).isEmpty());
            QVERIFY(!m.GetLineLevels(dest, -1));
        }
        for (int conn : {-2, 2}) QVERIFY(!m.LineInfoAt(0, conn) && !m.GetLineLevels(0, conn));
        // A volume and a mute: the levels and the mute state, as one value.
        const std::optional<LineLevels> levels = m.GetLineLevels(0, -1);
        QVERIFY(levels && levels->Left >= 0 && levels->Mute >= 0 && !levels->VolDisabled && !levels->MuteDisabled);
        // A volume alone: no mute of its own, nor a source list to stand for one.
        const std::optional<LineLevels> source = m.GetLineLevels(0, 0);
        QVERIFY(source && source->Left >= 0 && source->Mute == -1 && source->MuteDisabled);
    }

    void mixerIdAssignmentRules() {
        SimFixture f(kTwoCards);
        TAudioMixer m(*f.service);
        m.SetMixerId(7);  // beyond the last device: the last device
        QCOMPARE(m.MixerId(), 1);
        QCOMPARE(m.Manufacturer(), QStringLiteral("2 = Unknown"));
        QCOMPARE(f.service->openHandleCount(), 1);
        m.SetMixerId(-1);
        QCOMPARE(m.MixerId(), -1);
        QVERIFY(m.Destinations() == nullptr);
        QCOMPARE(m.ProductName(), QStringLiteral("Second"));  // the last opened device's
        QCOMPARE(f.service->openHandleCount(), 0);
    }

    void reassigningTheSameIdRebuildsTheTree() {
        SimFixture f(kTwoCards);
        TAudioMixer m(*f.service);
        QCOMPARE(m.Destinations()->Count(), 2);
        // The card behind index 0 changes; reopening index 0 must see it.
        f.driver->removeDevice(0);
        SimDevice other =
            std::move(parseSimCards(card(R"([{"type":"speakers","name":"Only"}])", "Replacement"), nullptr)->front());
        f.driver->addDevice(std::move(other));  // now index 1, "Second" is index 0
        m.SetMixerId(0);
        QCOMPARE(m.ProductName(), QStringLiteral("Second"));
        QCOMPARE(m.Destinations()->Count(), 1);
        QCOMPARE(QByteArray(m.Destinations()->Items(0)->LineInfo.szName), QByteArray("S2"));
        QCOMPARE(f.service->openHandleCount(), 1);
    }

    void failedOpenLeavesItClosedWithTheOldProperties() {
        SimFixture f(R"({"devices":[{"name":"Good","destinations":[{"type":"speakers","name":"S"}]},
                                    {"name":"Dead","openFails":true,"destinations":[{"type":"speakers","name":"S"}]}]})");
        TAudioMixer m(*f.service);
        m.SetMixerId(1);
        QCOMPARE(m.MixerId(), -1);
        QVERIFY(!m.Destinations());
        QCOMPARE(m.ProductName(), QStringLiteral("Good"));
    }

    void noDeviceAtAll() {
        SimFixture f(R"({"devices":[]})");
        TAudioMixer m(*f.service);
        QCOMPARE(m.MixerCount(), 0);
        QCOMPARE(m.MixerId(), -1);
        m.SetMixerId(0);
        QCOMPARE(m.MixerId(), -1);
        QVERIFY(!m.Destinations());
        QVERIFY(!m.Destination(0) && !m.LineInfoAt(0, -1) && m.LineNames(0).isEmpty() && m.SourceCount(0) == 0);
        // A card plugged in later is counted once the event loop has told of
        // it; another object opened from that handler, before its own turn
        // to hear of the card, opens it too.
        TAudioMixer other(*f.service);
        int told = 0;
        int otherOpened = -2;
        m.OnDevicesChange = [&](TAudioMixer* sender) {
            QCOMPARE(sender, &m);
            ++told;
            other.SetMixerId(0);
            otherOpened = other.MixerId();
        };
        f.driver->addDevice(std::move(parseSimCards(card(R"([{"type":"speakers","name":"S"}])"), nullptr)->front()));
        QTRY_COMPARE(m.MixerCount(), 1);
        QCOMPARE(told, 1);
        QCOMPARE(otherOpened, 0);
        QCOMPARE(other.ProductName(), QStringLiteral("Test Card"));
        QVERIFY(!m.DeviceGone());  // nothing was open to go
        m.SetMixerId(0);
        QCOMPARE(m.MixerId(), 0);
        QVERIFY(m.Destinations());
    }

    // Other cards come and go around the open one: its index follows it.
    void followsItsDeviceAsOthersComeAndGo() {
        SimFixture f(kTwoCards);
        TAudioMixer m(*f.service);
        m.SetMixerId(1);  // "Second"
        int told = 0;
        m.OnDevicesChange = [&](TAudioMixer*) { ++told; };
        auto extra = [](const char* name) {
            return std::move(parseSimCards(card(R"([{"type":"speakers","name":"S"}])", name), nullptr)->front());
        };
        f.driver->addDevice(extra("Before"), 0);
        QTRY_COMPARE(told, 1);
        QCOMPARE(m.MixerId(), 2);
        QCOMPARE(m.MixerCount(), 3);
        f.driver->addDevice(extra("After"));
        QTRY_COMPARE(told, 2);
        QCOMPARE(m.MixerId(), 2);
        QCOMPARE(m.MixerCount(), 4);
        f.driver->removeDevice(0);
        f.driver->removeDevice(0);  // "First" too, in the same turn: told once
        QTRY_COMPARE(told, 3);
        QCoreApplication::processEvents();
        QCOMPARE(told, 3);
        QCOMPARE(m.MixerId(), 0);
        QCOMPARE(m.MixerCount(), 2);
        QVERIFY(!m.DeviceGone());
        QCOMPARE(m.ProductName(), QStringLiteral("Second"));
        // Still open on the same card at its new index.
        UINT index = 9;
        QCOMPARE(f.service->mixerGetID(m.MixerHandle(), &index, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);
        QCOMPARE(index, 0u);
        QVERIFY(m.GetLineLevels(0, -1));

        // Reopening index 0 right after a card took that place, before the
        // event loop told of it, opens the new card, not the tree it held.
        f.driver->addDevice(extra("Newest"), 0);
        m.SetMixerId(0);
        QCOMPARE(m.ProductName(), QStringLiteral("Newest"));
    }

    // The open card is removed: the object says so, keeps its tree for the
    // indices the windows hold, and every value operation fails.
    void openDeviceRemoved() {
        SimFixture f = SimFixture::demo();
        TAudioMixer m(*f.service), other(*f.service);
        other.SetMixerId(1);
        int told = 0;
        bool goneWhenTold = false;
        m.OnDevicesChange = [&](TAudioMixer* sender) {
            ++told;
            goneWhenTold = sender->DeviceGone();
        };
        QCOMPARE(f.service->openHandleCount(), 2);
        f.driver->removeDevice(0);
        QTRY_COMPARE(told, 1);
        QVERIFY(goneWhenTold && m.DeviceGone());
        QCOMPARE(m.MixerId(), -1);
        QCOMPARE(m.MixerCount(), 1);
        QCOMPARE(f.service->openHandleCount(), 1);  // its handle was given back
        QCOMPARE(other.MixerId(), 0);
        QVERIFY(!other.DeviceGone());

        QVERIFY(m.Destinations() && m.Destinations()->Count() > 0);
        int left = 7, right = 7;
        QVERIFY(!m.GetLineLevels(0, -1));
        QVERIFY(!m.SetLineLevels(0, -1, 1000, 1000, 0));
        bool muted = true;
        QVERIFY(!m.GetLineMute(0, -1, muted));
        QVERIFY(!muted);
        QVERIFY(!m.GetLineMeter(0, -1, left, right));
        QCOMPARE(m.GetControlValue(0, -1, 0), 0);
        QVERIFY(!m.SetControlValue(0, -1, 0, 1));

        // Choosing a card again starts afresh.
        m.SetMixerId(0);
        QVERIFY(!m.DeviceGone());
        QCOMPARE(m.MixerId(), 0);
        QVERIFY(m.GetLineLevels(0, -1));
        QCOMPARE(f.service->openHandleCount(), 2);
    }

    void notificationsBecomeEvents() {
        SimFixture f = SimFixture::demo();
        TAudioMixer a(*f.service), b(*f.service), silent(*f.service), other(*f.service);
        other.SetMixerId(1);
        int aControls = 0, bControls = 0, aLines = 0, otherControls = 0;
        int lastId = -1, lastHandle = -1;
        a.OnControlChange = [&](TAudioMixer* sender, int h, int id) {
            QCOMPARE(sender, &a);
            ++aControls;
            lastId = id;
            lastHandle = h;
        };
        a.OnLineChange = [&](TAudioMixer*, int, int) { ++aLines; };
        b.OnControlChange = [&](TAudioMixer*, int, int) { ++bControls; };
        other.OnControlChange = [&](TAudioMixer*, int, int) { ++otherControls; };
        const DWORD id = a.Destinations()->Items(0)->Controls.Items(0).dwControlID;
        QVERIFY(f.driver->changeExternally(0, id, {100}));
        QTRY_COMPARE(aControls, 1);
        QTRY_COMPARE(bControls, 1);
        QCOMPARE(lastId, int(id));
        QCOMPARE(lastHandle, int(a.MixerHandle()));
        f.driver->raiseLineChange(0, a.Destinations()->Items(0)->LineInfo.dwLineID);
        QTRY_COMPARE(aLines, 1);
        QCOMPARE(aControls, 1);
        QCOMPARE(otherControls, 0);
    }

    // One object writes; one that ignores echoes hears nothing of it, yet
    // still hears changes from outside; default objects hear both.
    void echoesCanBeIgnored() {
        SimFixture f = SimFixture::demo();
        TAudioMixer writer(*f.service), listener(*f.service), quiet(*f.service);
        QVERIFY(!listener.IgnoreEchoes());
        quiet.SetIgnoreEchoes(true);
        QVERIFY(quiet.IgnoreEchoes());
        int writerHeard = 0, listenerHeard = 0, quietHeard = 0;
        writer.OnControlChange = [&](TAudioMixer*, int, int) { ++writerHeard; };
        listener.OnControlChange = [&](TAudioMixer*, int, int) { ++listenerHeard; };
        quiet.OnControlChange = [&](TAudioMixer*, int, int) { ++quietHeard; };

        QVERIFY(writer.SetLineLevels(0, -1, 30000, 30000, 1));  // a volume and a mute written
        QTRY_COMPARE(listenerHeard, 2);
        QCOMPARE(writerHeard, 2);
        QCoreApplication::processEvents();
        QCOMPARE(quietHeard, 0);

        const DWORD volume = writer.Destinations()->Items(0)->Controls.Items(0).dwControlID;
        QVERIFY(f.driver->changeExternally(0, volume, {12345}));
        QTRY_COMPARE(quietHeard, 1);
        QTRY_COMPARE(listenerHeard, 3);
        // The writer itself may ignore its echoes too.
        writer.SetIgnoreEchoes(true);
        QVERIFY(writer.SetControlValue(0, -1, 0, 100));
        QTRY_COMPARE(listenerHeard, 4);
        QCOMPARE(writerHeard, 3);
        quiet.SetIgnoreEchoes(false);
        QVERIFY(listener.SetControlValue(0, -1, 0, 200));
        QTRY_COMPARE(quietHeard, 2);
    }

    void destroyingAMixerWithPendingNotificationsIsSafe() {
        SimFixture f = SimFixture::demo();
        int calls = 0;
        {
            TAudioMixer m(*f.service);
            m.OnControlChange = [&](TAudioMixer*, int, int) { ++calls; };
            f.driver->changeExternally(0, m.Destinations()->Items(0)->Controls.Items(0).dwControlID, {5});
        }
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
        QCOMPARE(f.service->openHandleCount(), 0);
    }
};

TAVLO_TEST_GUILESS_MAIN(TestAudioMixer)
#include "test_audio_mixer.moc"
