// The mixer model: opening, the line and control tree, failed queries and
// the two change events.

#include "mixer/audio_mixer.h"
#include "support/sim_fixture.h"

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
        SimDevice other = std::move(parseSimCards(card(R"([{"type":"speakers","name":"Only"}])", "Replacement"), nullptr)->front());
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
        // The count is read once: a card plugged in later is not seen by this object.
        f.driver->addDevice(std::move(parseSimCards(card(R"([{"type":"speakers","name":"S"}])"), nullptr)->front()));
        m.SetMixerId(0);
        QCOMPARE(m.MixerId(), -1);
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

QTEST_GUILESS_MAIN(TestAudioMixer)
#include "test_audio_mixer.moc"
