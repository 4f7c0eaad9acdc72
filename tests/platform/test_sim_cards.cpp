// Card descriptions: what loads, what is refused and how, meters, and the
// values shared between processes.

#include "support/sim_fixture.h"
#include "support/test_main.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSimCards : public QObject {
    Q_OBJECT
private slots:
    void refusedDescriptionsSayWhereAndWhat_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("syntax") << QByteArray("{\n \"devices\": [\n  {,\n") << QStringLiteral("line 3, column");
        QTest::newRow("not an object") << QByteArray("[1]") << QStringLiteral("expected an object");
        QTest::newRow("unknown key") << card(R"([{"type":"speakers","name":"S","colour":1}])")
                                     << QStringLiteral("devices[0].destinations[0]: unknown key \"colour\"");
        QTest::newRow("unknown type") << card(R"([{"type":"speakers","name":"S","controls":[{"type":"volumee"}]}])")
                                      << QStringLiteral("devices[0].destinations[0].controls[0].type: unknown type");
        QTest::newRow("destination type on a source")
            << card(R"([{"type":"speakers","name":"S","sources":[{"type":"wavein","name":"X"}]}])")
            << QStringLiteral("sources[0].type: unknown type \"wavein\"");
        QTest::newRow("long name") << card(R"([{"type":"speakers","name":"S","shortName":"sixteen chars!!!"}])")
                                   << QStringLiteral("longer than 15 characters");
        QTest::newRow("value count")
            << card(R"([{"type":"speakers","channels":2,"name":"S","controls":[{"type":"volume","values":[1,2,3]}]}])")
            << QStringLiteral("expected 1 or 2 values, found 3");
        QTest::newRow("negative value")
            << card(R"([{"type":"speakers","name":"S","controls":[{"type":"volume","values":-1}]}])")
            << QStringLiteral("whole number");
        QTest::newRow("list without items") << card(R"([{"type":"wavein","name":"S","controls":[{"type":"mux"}]}])")
                                            << QStringLiteral("needs \"items\"");
        QTest::newRow("no destinations") << QByteArray(R"({"devices":[{"name":"X","destinations":[]}]})")
                                         << QStringLiteral("at least one destination");
        QTest::newRow("channels") << card(R"([{"type":"speakers","name":"S","channels":0}])")
                                  << QStringLiteral("channels: expected a whole number from 1 to 8");
        // Found by fuzz_sim_cards: text quoted from the description kept its
        // line breaks, so the message was more than one line.
        QTest::newRow("line break in a key")
            << QByteArray("{\"devices\":[],\"x\ny\":1}") << QStringLiteral("unknown key \"x\\u000ay\"");
        QTest::newRow("escaped line breaks in a type")
            << card("[{\"type\":\"speakers\",\"name\":\"S\",\"controls\":[{\"type\":\"vol\\r\\nume\\\"\"}]}]")
            << QStringLiteral("controls[0].type: unknown type \"vol\\u000d\\u000aume\\\"\"");
        QTest::newRow("line break in a long name")
            << card("[{\"type\":\"speakers\",\"name\":\"S\",\"shortName\":\"sixteen\\nchars!!!\"}]")
            << QStringLiteral("shortName: \"sixteen\\u000achars!!!\" is longer than 15 characters");
        // Each line id holds its indices in 16 bits: source 65536 of the first
        // destination would take the id of the second one's first source.
        QByteArray many = "[{\"type\":\"speakers\",\"name\":\"S\",\"sources\":[";
        for (int i = 0; i <= 0x10000; ++i) many += R"({"type":1,"name":"L"},)";
        many.chop(1);
        QTest::newRow("65537 sources") << card((many + R"(]}, {"type":"wavein","name":"R"}])").constData())
                                       << QStringLiteral("destinations[0].sources: more than 65536 sources");
    }
    void refusedDescriptionsSayWhereAndWhat() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QString error;
        QVERIFY(!SimDriver::fromJson(json, &error));
        QVERIFY2(error.contains(expected), qPrintable(error));
        QVERIFY(!error.contains(QLatin1Char('\n')));
    }

    void unreadableFileIsNamed() {
        QString error;
        QVERIFY(!SimDriver::fromFile(QStringLiteral("/nonexistent/card.json"), &error));
        QVERIFY(error.startsWith(QStringLiteral("/nonexistent/card.json: ")));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.json"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(card(R"([{"type":"speakers"}])"));
        f.close();
        QVERIFY(!SimDriver::fromFile(path, &error));
        QVERIFY2(error.startsWith(path + QStringLiteral(": devices[0].destinations[0]: missing \"name\"")),
                 qPrintable(error));
    }

    void demoCardsHaveWhatTheProgramShows() {
        SimFixture f = SimFixture::demo();
        QCOMPARE(f.driver->deviceCount(), 2);
        const DeviceModel& m = *f.driver->model(f.driver->deviceKey(0));
        QCOMPARE(m.destinations.size(), std::size_t{2});
        const auto& play = m.destinations[0];
        QCOMPARE(play.line.info.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        QVERIFY(play.sources.size() >= 7);
        auto has = [](const DriverLine& l, DWORD type) {
            return std::any_of(l.controls.begin(), l.controls.end(),
                               [type](const DriverControl& c) { return c.info.dwControlType == type; });
        };
        for (DWORD t : {MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_MUTE, MIXERCONTROL_CONTROLTYPE_BASS,
                        MIXERCONTROL_CONTROLTYPE_TREBLE, MIXERCONTROL_CONTROLTYPE_PEAKMETER})
            QVERIFY(has(play.line, t));
        int extraSwitches = 0;
        bool mono = false;
        for (const auto& s : play.sources) {
            QVERIFY(s.info.dwComponentType >= MIXERLINE_COMPONENTTYPE_SRC_FIRST);
            mono = mono || s.info.cChannels == 1;
            for (const auto& c : s.controls)
                if (isSwitchType(c.info.dwControlType) && c.info.dwControlType != MIXERCONTROL_CONTROLTYPE_MUTE)
                    ++extraSwitches;
        }
        QVERIFY(mono);
        QCOMPARE(extraSwitches, 2);
        const auto& rec = m.destinations[1];
        QCOMPARE(rec.line.info.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
        const auto mux = std::find_if(rec.line.controls.begin(), rec.line.controls.end(), [](const DriverControl& c) {
            return c.info.dwControlType == MIXERCONTROL_CONTROLTYPE_MUX;
        });
        QVERIFY(mux != rec.line.controls.end());
        QCOMPARE(mux->info.cMultipleItems, DWORD(rec.sources.size()));
        QCOMPARE(mux->items.front(), std::string("Microphone"));
    }

    void metersFollowTheirSignal() {
        SimFixture f(card(R"([{"type":"speakers","channels":2,"name":"S","controls":[
            {"type":"peakmeter","meter":{"signal":"list","values":[[10,20],5]}},
            {"type":"peakmeter","meter":{"signal":"constant","value":7}},
            {"type":"peakmeter","meter":{"signal":"sine","min":100,"max":200,"periodMs":50}}]}])"));
        const auto key = f.driver->deviceKey(0);
        const auto& controls = f.driver->model(key)->destinations[0].line.controls;
        DWORD v[2] = {};
        QVERIFY(f.driver->readValues(key, controls[0].info.dwControlID, v));
        QCOMPARE(v[0], 10u);
        QCOMPARE(v[1], 20u);
        QVERIFY(f.driver->readValues(key, controls[0].info.dwControlID, v));
        QCOMPARE(v[0], 5u);
        QCOMPARE(v[1], 5u);
        QVERIFY(f.driver->readValues(key, controls[0].info.dwControlID, v));
        QCOMPARE(v[0], 10u);  // cycled
        QVERIFY(f.driver->readValues(key, controls[1].info.dwControlID, v));
        QCOMPARE(v[1], 7u);
        for (int i = 0; i < 20; ++i) {
            QVERIFY(f.driver->readValues(key, controls[2].info.dwControlID, v));
            QVERIFY(v[0] >= 100 && v[0] <= 200 && v[1] >= 100 && v[1] <= 200);
        }
        // Meters cannot be written.
        QVERIFY(!f.driver->writeValues(key, controls[1].info.dwControlID, v));
    }

    void valuesSharedThroughAFileArriveAsOutsideChanges() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cards.values"));
        SimFixture one = SimFixture::demo();
        SimFixture two = SimFixture::demo();
        QVERIFY(one.driver->shareValuesThrough(path));
        QVERIFY(two.driver->shareValuesThrough(path));
        const DWORD id = one.driver->model(one.driver->deviceKey(0))->destinations[0].line.controls[0].info.dwControlID;
        QSignalSpy heard(two.driver, &MixerDriver::controlChanged);
        QSignalSpy echoed(one.driver, &MixerDriver::controlChanged);
        const DWORD values[2] = {1234, 4321};
        QVERIFY(one.driver->writeValues(one.driver->deviceKey(0), id, values));
        QTRY_COMPARE(heard.size(), 1);
        QCOMPARE(heard[0][1].value<DWORD>(), id);
        QCOMPARE(two.driver->values(0, id), (std::vector<DWORD>{1234, 4321}));
        QTest::qWait(50);
        QCOMPARE(echoed.size(), 0);  // our own write is not news to us

        // A third user starts with the values already there.
        SimFixture three = SimFixture::demo();
        QVERIFY(three.driver->shareValuesThrough(path));
        QCOMPARE(three.driver->values(0, id), (std::vector<DWORD>{1234, 4321}));
    }
};

TAVLO_TEST_GUILESS_MAIN(TestSimCards)
#include "test_sim_cards.moc"
