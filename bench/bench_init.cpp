// What a card costs the program as a whole: the first full initialisation
// (every window created and bound, as at start) and one refresh of the
// strips (what an outside change runs), on a simulated card with 12 source
// lines and, when TAVLO_MIXER names one, on that back end too (e.g.
// TAVLO_MIXER=alsa:pulse under a PulseAudio server). Windows offscreen.

#include "app/app_context.h"
#include "app/mixer_controller.h"
#include "app/user_messages.h"
#include "mixer/audio_mixer.h"
#include "platform/driver_factory.h"
#include "platform/mixer_service.h"
#include "platform/sim/sim_driver.h"
#include "play/form1.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// Nobody answers: a box would stop the run.
class NoMessages : public UserMessages {
public:
    void information(const QString&) override {}
    void warning(const QString&) override {}
    bool question(const QString&) override { return false; }
};

QByteArray line(int i) {
    return QStringLiteral(R"({"type":"line","channels":2,"name":"Source %1","controls":[
        {"type":"volume","values":[%2,%2]},{"type":"mute","uniform":true,"values":0}]})")
        .arg(i + 1)
        .arg(20000 + i * 1000)
        .toUtf8();
}

// Speakers with 12 sources and tone controls; recording with a mux over two.
QByteArray twelveSourceCard() {
    QByteArray sources;
    for (int i = 0; i < 12; ++i) sources += (i ? "," : "") + line(i);
    return R"({"devices":[{"name":"Twelve","destinations":[
      {"type":"speakers","channels":2,"name":"Speakers","controls":[
        {"type":"volume","values":[40000,40000]},{"type":"mute","uniform":true,"values":0},
        {"type":"bass","uniform":true,"values":30000},{"type":"treble","uniform":true,"values":32768},
        {"type":"peakmeter","meter":{"signal":"constant","value":0}}],
       "sources":[)" +
           sources + R"(]},
      {"type":"wavein","channels":2,"name":"Recording","controls":[
        {"type":"volume","values":[42000,42000]},{"type":"mux","uniform":true,"values":[1,0]}],
       "sources":[
        {"type":"microphone","channels":1,"name":"Mic","controls":[{"type":"volume","values":30000}]},
        {"type":"line","channels":2,"name":"Line","controls":[{"type":"volume","values":[36000,36000]}]}]}]}]})";
}

std::unique_ptr<MixerDriver> driverFor(bool environment) {
    QString error;
    std::unique_ptr<MixerDriver> d = environment ? makeMixerDriver(mixerSelectionFromEnvironment(), &error)
                                                 : SimDriver::fromJson(twelveSourceCard(), &error);
    if (!d) qFatal("no card: %s", qPrintable(error));
    return d;
}

void drain() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Arg 0: the 12-source card; 1: the card TAVLO_MIXER names.
void FullInitialisation(benchmark::State& st) {
    for (auto _ : st) {
        {
            AppContext ctx(driverFor(st.range(0) != 0), std::make_unique<NoMessages>());
            ctx.createWindows();
            drain();
            st.PauseTiming();  // the windows' destruction is not start-up
        }
        st.ResumeTiming();
    }
    st.SetLabel(st.range(0) ? "TAVLO_MIXER card" : "12 sources");
}

void Refresh(benchmark::State& st) {
    AppContext ctx(driverFor(st.range(0) != 0), std::make_unique<NoMessages>());
    ctx.createWindows();
    drain();
    for (auto _ : st) {
        ctx.controller()->Button5Click();
        drain();  // the echoes of its write-back are delivered and dropped
    }
    st.SetLabel(st.range(0) ? "TAVLO_MIXER card" : "12 sources");
}

// An outside change of the master level on the 12-source card, and all
// that follows until the event loop is idle again: the notification, the
// refresh it asks for (every strip read and written back), the echoes.
void OutsideChange(benchmark::State& st) {
    AppContext ctx(driverFor(false), std::make_unique<NoMessages>());
    ctx.createWindows();
    drain();
    auto& driver = static_cast<SimDriver&>(ctx.service().driver());
    const DWORD master = ctx.Form1()->Mixer->Destinations()->Items(0)->Controls.Items(0).dwControlID;
    const int before = ctx.controller()->refreshCount();
    DWORD level = 20000;
    for (auto _ : st) {
        level = level == 20000 ? 50000 : 20000;
        driver.changeExternally(0, master, {level, level});
        drain();
    }
    if (ctx.controller()->refreshCount() - before < static_cast<int>(st.iterations()))
        st.SkipWithError("a change ran no refresh");
    st.SetLabel("12 sources");
}
BENCHMARK(OutsideChange)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const bool environment = qEnvironmentVariableIsSet(kMixerSelectionVariable);
    for (int arg : environment ? std::vector<int>{0, 1} : std::vector<int>{0}) {
        benchmark::RegisterBenchmark("FullInitialisation", FullInitialisation)
            ->Arg(arg)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark("Refresh", Refresh)
            ->Arg(arg)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
