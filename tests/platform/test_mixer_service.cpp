// The mixer service's function set over simulated cards: record checks,
// queries by every key, details shapes and notifications.

#include "support/sim_fixture.h"
#include "support/test_main.h"

#include <QObject>
#include <QSignalSpy>
#include <QTest>

#include <vector>

namespace {

// Collects the notifications posted to it.
class Sink : public QObject {
public:
    struct Note {
        UINT message;
        HMIXER handle;
        DWORD id;
        bool echo;
    };
    std::vector<Note> notes;

protected:
    bool event(QEvent* e) override {
        if (e->type() != MixerNotifyEvent::eventType()) return QObject::event(e);
        auto* n = static_cast<MixerNotifyEvent*>(e);
        notes.push_back({n->message(), n->handle(), n->id(), n->echo()});
        return true;
    }
};

MIXERCONTROLDETAILS details(DWORD id, DWORD channels, DWORD items, DWORD* values) {
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof d;
    d.dwControlID = id;
    d.cChannels = channels;
    d.cMultipleItems = items;
    d.cbDetails = sizeof(DWORD);
    d.paDetails = values;
    return d;
}

const char* kStereoCard = R"([
  {"type":"speakers","channels":2,"name":"Speakers","controls":[
     {"type":"volume","values":[100,200]},
     {"type":"mute","uniform":true,"values":1},
     {"type":"treble","uniform":true,"values":7}],
   "sources":[{"type":"waveout","channels":2,"name":"Wave","controls":[{"type":"volume","values":[1,2]}]},
              {"type":"microphone","channels":1,"name":"Mic","controls":[{"type":"volume","values":5}]}]},
  {"type":"wavein","channels":2,"name":"Rec","controls":[{"type":"mux","uniform":true,"values":[0,1]}],
   "sources":[{"type":"microphone","channels":1,"name":"Mic in"},{"type":"line","name":"Line in"}]}])";

}  // namespace

class TestMixerService : public QObject {
    Q_OBJECT
private slots:
    void openCloseAndBadHandles() {
        SimFixture f = SimFixture::demo();
        MixerService& s = *f.service;
        QCOMPARE(s.mixerGetNumDevs(), 2u);
        HMIXER h = 0;
        QCOMPARE(s.mixerOpen(&h, 2, nullptr, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
        QCOMPARE(s.mixerOpen(&h, 0, nullptr, 0, CALLBACK_WINDOW),
                 MMSYSERR_INVALPARAM);  // window callback without a window
        QCOMPARE(s.mixerOpen(&h, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        QVERIFY(h != 0);
        MIXERLINE line{};
        line.cbStruct = sizeof line;
        QCOMPARE(s.mixerGetLineInfoA(h + 100, &line, MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_INVALHANDLE);
        QCOMPARE(s.mixerClose(h), MMSYSERR_NOERROR);
        QCOMPARE(s.mixerClose(h), MMSYSERR_INVALHANDLE);
        QCOMPARE(s.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_INVALHANDLE);
        QCOMPARE(s.openHandleCount(), 0);
    }

    void capsAndRecordSizesAreChecked() {
        SimFixture f(card(kStereoCard));
        MixerService& s = *f.service;
        MIXERCAPS caps{};
        QCOMPARE(s.mixerGetDevCapsA(0, &caps, 47), MMSYSERR_INVALPARAM);
        QCOMPARE(s.mixerGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
        QCOMPARE(QByteArray(caps.szPname), QByteArray("Test Card"));
        QCOMPARE(caps.cDestinations, 2u);
        HMIXER h = 0;
        QCOMPARE(s.mixerOpen(&h, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        MIXERLINE line{};
        line.cbStruct = 100;
        QCOMPARE(s.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_INVALPARAM);
        line.cbStruct = sizeof line;
        line.dwDestination = 2;
        QCOMPARE(s.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_DESTINATION), MIXERR_INVALLINE);
        line.dwDestination = 1;
        QCOMPARE(s.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_NOERROR);
        QCOMPARE(line.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
        QCOMPARE(line.cConnections, 2u);
        QCOMPARE(line.cControls, 1u);
        // Source query, then the same line found again by id and by type.
        line.dwSource = 1;
        QCOMPARE(s.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_SOURCE), MMSYSERR_NOERROR);
        QCOMPARE(QByteArray(line.szName), QByteArray("Line in"));
        QVERIFY(line.fdwLine & MIXERLINE_LINEF_SOURCE);
        const DWORD id = line.dwLineID;
        MIXERLINE again{};
        again.cbStruct = sizeof again;
        again.dwLineID = id;
        QCOMPARE(s.mixerGetLineInfoA(h, &again, MIXER_GETLINEINFOF_LINEID), MMSYSERR_NOERROR);
        QCOMPARE(QByteArray(again.szName), QByteArray("Line in"));
        again.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
        QCOMPARE(s.mixerGetLineInfoA(h, &again, MIXER_GETLINEINFOF_COMPONENTTYPE), MMSYSERR_NOERROR);
        QCOMPARE(again.dwDestination, 1u);
        s.mixerClose(h);
    }

    void lineControlsAllOneByIdAndByType() {
        SimFixture f(card(kStereoCard));
        MixerService& s = *f.service;
        HMIXER h = 0;
        s.mixerOpen(&h, 0, nullptr, 0, CALLBACK_NULL);
        MIXERLINE dest{};
        dest.cbStruct = sizeof dest;
        QCOMPARE(s.mixerGetLineInfoA(h, &dest, MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_NOERROR);
        std::vector<MIXERCONTROL> controls(dest.cControls);
        MIXERLINECONTROLS q{};
        q.cbStruct = sizeof q;
        q.dwLineID = dest.dwLineID;
        q.cControls = dest.cControls;
        q.cbmxctrl = sizeof(MIXERCONTROL);
        q.pamxctrl = controls.data();
        QCOMPARE(s.mixerGetLineControlsA(h, &q, MIXER_GETLINECONTROLSF_ALL), MMSYSERR_NOERROR);
        QCOMPARE(controls[0].dwControlType, MIXERCONTROL_CONTROLTYPE_VOLUME);
        QCOMPARE(controls[1].dwControlType, MIXERCONTROL_CONTROLTYPE_MUTE);
        QCOMPARE(controls[2].dwControlType, MIXERCONTROL_CONTROLTYPE_TREBLE);
        QCOMPARE(controls[0].Bounds.dwMaximum, 65535u);
        QCOMPARE(controls[1].Bounds.dwMaximum, 1u);
        q.cControls = 2;  // the whole list or nothing
        QCOMPARE(s.mixerGetLineControlsA(h, &q, MIXER_GETLINECONTROLSF_ALL), MMSYSERR_INVALPARAM);
        q.cbmxctrl = 100;
        q.cControls = 3;
        QCOMPARE(s.mixerGetLineControlsA(h, &q, MIXER_GETLINECONTROLSF_ALL), MMSYSERR_INVALPARAM);

        MIXERCONTROL one{};
        MIXERLINECONTROLS byType{};
        byType.cbStruct = sizeof byType;
        byType.dwLineID = dest.dwLineID;
        byType.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
        byType.cControls = 1;
        byType.cbmxctrl = sizeof one;
        byType.pamxctrl = &one;
        QCOMPARE(s.mixerGetLineControlsA(h, &byType, MIXER_GETLINECONTROLSF_ONEBYTYPE), MMSYSERR_NOERROR);
        QCOMPARE(one.dwControlID, controls[1].dwControlID);
        byType.dwControlType = MIXERCONTROL_CONTROLTYPE_BASS;
        QCOMPARE(s.mixerGetLineControlsA(h, &byType, MIXER_GETLINECONTROLSF_ONEBYTYPE), MIXERR_INVALCONTROL);

        MIXERLINECONTROLS byId{};
        byId.cbStruct = sizeof byId;
        byId.dwControlID = controls[2].dwControlID;
        byId.cControls = 1;
        byId.cbmxctrl = sizeof one;
        byId.pamxctrl = &one;
        QCOMPARE(s.mixerGetLineControlsA(h, &byId, MIXER_GETLINECONTROLSF_ONEBYID), MMSYSERR_NOERROR);
        QCOMPARE(byId.dwLineID, dest.dwLineID);
        QCOMPARE(one.dwControlType, MIXERCONTROL_CONTROLTYPE_TREBLE);
        s.mixerClose(h);
    }

    void detailsShapesAndClamping() {
        SimFixture f(card(kStereoCard));
        MixerService& s = *f.service;
        HMIXER h = 0;
        s.mixerOpen(&h, 0, nullptr, 0, CALLBACK_NULL);
        const auto& model = *f.driver->model(f.driver->deviceKey(0));
        const DWORD volume = model.destinations[0].line.controls[0].info.dwControlID;
        const DWORD mute = model.destinations[0].line.controls[1].info.dwControlID;
        const DWORD mux = model.destinations[1].line.controls[0].info.dwControlID;

        DWORD v[4] = {};
        auto d = details(volume, 2, 0, v);
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, 0), MMSYSERR_NOERROR);
        QCOMPARE(v[0], 100u);
        QCOMPARE(v[1], 200u);
        d = details(volume, 1, 0, v);  // one channel reads the first
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, 0), MMSYSERR_NOERROR);
        QCOMPARE(v[0], 100u);
        d = details(volume, 3, 0, v);
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, 0), MMSYSERR_INVALPARAM);
        d = details(volume, 2, 2, v);  // items on a plain control
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, 0), MMSYSERR_INVALPARAM);
        d = details(9999, 1, 0, v);
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, 0), MIXERR_INVALCONTROL);

        // One channel written sets both; levels are clamped to the bounds.
        v[0] = 70000;
        d = details(volume, 1, 0, v);
        QCOMPARE(s.mixerSetControlDetails(h, &d, 0), MMSYSERR_NOERROR);
        QCOMPARE(f.driver->values(0, volume), (std::vector<DWORD>{65535, 65535}));
        // Switches store 0 or 1.
        v[0] = 5;
        d = details(mute, 1, 0, v);
        QCOMPARE(s.mixerSetControlDetails(h, &d, 0), MMSYSERR_NOERROR);
        QCOMPARE(f.driver->values(0, mute), (std::vector<DWORD>{1}));
        // A multiple control needs its item count.
        d = details(mux, 1, 0, v);
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, 0), MMSYSERR_INVALPARAM);
        d = details(mux, 1, 2, v);
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, 0), MMSYSERR_NOERROR);
        QCOMPARE(v[0], 0u);
        QCOMPARE(v[1], 1u);
        // Item names, with the source line ids.
        MIXERCONTROLDETAILS_LISTTEXT texts[2] = {};
        d = details(mux, 1, 2, nullptr);
        d.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXT);
        d.paDetails = texts;
        QCOMPARE(s.mixerGetControlDetailsA(h, &d, MIXER_GETCONTROLDETAILSF_LISTTEXT), MMSYSERR_NOERROR);
        QCOMPARE(QByteArray(texts[0].szName), QByteArray("Mic in"));
        QCOMPARE(texts[1].dwParam1, model.destinations[1].sources[1].info.dwLineID);
        s.mixerClose(h);
    }

    void notificationsReachEveryHandleThroughTheEventLoop() {
        SimFixture f = SimFixture::demo();
        MixerService& s = *f.service;
        Sink a, b, other;
        HMIXER ha = 0, hb = 0, ho = 0;
        QCOMPARE(s.mixerOpen(&ha, 0, &a, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
        QCOMPARE(s.mixerOpen(&hb, 0, &b, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
        QCOMPARE(s.mixerOpen(&ho, 1, &other, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
        const DWORD id = f.driver->model(f.driver->deviceKey(0))->destinations[0].line.controls[0].info.dwControlID;
        DWORD v[2] = {1000, 2000};
        auto d = details(id, 2, 0, v);
        QCOMPARE(s.mixerSetControlDetails(ha, &d, 0), MMSYSERR_NOERROR);
        // Never inside the call that caused it.
        QVERIFY(a.notes.empty());
        QTRY_COMPARE(a.notes.size(), std::size_t{1});
        QTRY_COMPARE(b.notes.size(), std::size_t{1});
        QCOMPARE(a.notes[0].message, MM_MIXM_CONTROL_CHANGE);
        QCOMPARE(a.notes[0].handle, ha);
        QCOMPARE(b.notes[0].handle, hb);
        QCOMPARE(a.notes[0].id, id);
        // Our own write, told to every handle as an echo.
        QVERIFY(a.notes[0].echo && b.notes[0].echo);
        // A change from outside arrives the same way, not as an echo; the
        // other card hears nothing.
        QVERIFY(f.driver->changeExternally(0, id, {3000}));
        QVERIFY(a.notes.size() == 1);
        QTRY_COMPARE(a.notes.size(), std::size_t{2});
        QVERIFY(!a.notes[1].echo);
        f.driver->raiseLineChange(0, 0xFFFF0000u);
        QTRY_COMPARE(b.notes.size(), std::size_t{3});
        QCOMPARE(b.notes[2].message, MM_MIXM_LINE_CHANGE);
        QVERIFY(!b.notes[2].echo);
        // A refused write tells nobody.
        v[0] = 7;
        d = details(9999, 1, 0, v);
        QVERIFY(s.mixerSetControlDetails(ha, &d, 0) != MMSYSERR_NOERROR);
        QCoreApplication::processEvents();
        QVERIFY(other.notes.empty());
        // A closed handle hears nothing more.
        s.mixerClose(hb);
        f.driver->changeExternally(0, id, {4000});
        QTRY_COMPARE(a.notes.size(), std::size_t{4});
        QCOMPARE(b.notes.size(), std::size_t{3});
        s.mixerClose(ha);
        s.mixerClose(ho);
    }

    // Handles follow their device by key while indices shift; a handle
    // whose device went answers errors; listeners hear once per turn.
    void devicesComeAndGo() {
        SimFixture f = SimFixture::demo();
        MixerService& s = *f.service;
        QSignalSpy changed(&s, &MixerService::devicesChanged);
        HMIXER first = 0, second = 0;
        QCOMPARE(s.mixerOpen(&first, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        QCOMPARE(s.mixerOpen(&second, 1, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        UINT id = 99;
        QCOMPARE(s.mixerGetID(second, &id, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);
        QCOMPARE(id, 1u);

        // A card plugged in ahead of both, and the first card removed.
        SimDevice extra = std::move(parseSimCards(card(kStereoCard, "Hot Plugged"), nullptr)->front());
        QCOMPARE(f.driver->addDevice(std::move(extra), 0), 0);
        QCOMPARE(s.mixerGetID(second, &id, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);
        QCOMPARE(id, 2u);
        f.driver->removeDevice(1);
        QCOMPARE(s.mixerGetNumDevs(), 2u);
        QCOMPARE(s.mixerGetID(second, &id, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);
        QCOMPARE(id, 1u);
        QCOMPARE(s.mixerGetID(first, &id, MIXER_OBJECTF_HMIXER), MMSYSERR_NODRIVER);
        // Both changes are told together, after the calls that made them.
        QCOMPARE(changed.count(), 0);
        QTRY_COMPARE(changed.count(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 1);

        // The gone device's handle answers as an invalid one, and closes.
        MIXERLINE line{};
        line.cbStruct = sizeof line;
        QCOMPARE(s.mixerGetLineInfoA(first, &line, MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_INVALHANDLE);
        DWORD v = 0;
        auto d = details(1, 1, 0, &v);
        QCOMPARE(s.mixerSetControlDetails(first, &d, 0), MMSYSERR_INVALHANDLE);
        QCOMPARE(s.mixerClose(first), MMSYSERR_NOERROR);
        QCOMPARE(s.mixerGetID(first, &id, MIXER_OBJECTF_HMIXER), MMSYSERR_INVALHANDLE);
        QCOMPARE(s.mixerGetID(0, &id, MIXER_OBJECTF_HMIXER), MMSYSERR_INVALHANDLE);
        QCOMPARE(s.mixerGetID(second, nullptr, MIXER_OBJECTF_HMIXER), MMSYSERR_INVALPARAM);
        QCOMPARE(s.mixerGetID(second, &id, 0x10000000), MMSYSERR_INVALFLAG);  // a wave-out id
        // An index is checked against the current set.
        QCOMPARE(s.mixerGetID(1, &id, MIXER_OBJECTF_MIXER), MMSYSERR_NOERROR);
        QCOMPARE(id, 1u);
        QCOMPARE(s.mixerGetID(2, &id, MIXER_OBJECTF_MIXER), MMSYSERR_BADDEVICEID);
        MIXERCAPS caps{};
        QCOMPARE(s.mixerGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
        QCOMPARE(QByteArray(caps.szPname), QByteArray("Hot Plugged"));
        s.mixerClose(second);
    }

    void faultsFromTheDescription() {
        SimFixture f(R"({"devices":[{"name":"Broken","openFails":true,"destinations":[{"type":"speakers","name":"S"}]},
            {"name":"Flaky","destinations":[{"type":"speakers","name":"S","controlsQueryFails":true,
               "controls":[{"type":"volume"}],
               "sources":[{"type":"line","name":"A","queryFails":true},
                          {"type":"line","name":"B","controls":[{"type":"volume","readFails":true}]}]}]}]})");
        MixerService& s = *f.service;
        HMIXER h = 0;
        QCOMPARE(s.mixerOpen(&h, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
        QCOMPARE(s.mixerOpen(&h, 1, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        MIXERLINE line{};
        line.cbStruct = sizeof line;
        QVERIFY(s.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR);
        line.dwSource = 1;
        QCOMPARE(s.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_SOURCE), MMSYSERR_NOERROR);
        const auto& model = *f.driver->model(f.driver->deviceKey(1));
        DWORD v = 0;
        auto d = details(model.destinations[0].sources[1].controls[0].info.dwControlID, 1, 0, &v);
        QVERIFY(s.mixerGetControlDetailsA(h, &d, 0) != MMSYSERR_NOERROR);
        s.mixerClose(h);
    }
};

TAVLO_TEST_GUILESS_MAIN(TestMixerService)
#include "test_mixer_service.moc"
