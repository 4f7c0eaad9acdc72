// One pass of the meter poll on the demo card, as the 10 ms timer runs it:
// the main mixer object reopened on the card in use, the metered line's
// presence and peak read, and the VU window and master mini-meter updated
// by swapping prepared pictures.

#include "app/meter_poll.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "platform/sim/sim_driver.h"
#include "play/form1.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

struct Rig {
    MixerService service{SimDriver::demo()};
    SharedState state;
    TForm1 play{state, service};
    TForm2 vu{state};
    MeterPoll poll{state, *play.Mixer, *play.strips().front(), vu};
    std::int64_t now = 0;

    explicit Rig(std::uint8_t source) {
        state.MeterDestIndex = 0;
        state.MeterSourceIndex = source;
        poll.button2Click();
        poll.SetTickSource([this] { return now; });
    }
};

// Every pass past the throttle: a full update.
void UpdateMetersPass(benchmark::State& st) {
    Rig r(static_cast<std::uint8_t>(st.range(0)));
    for (auto _ : st) {
        r.now += MeterPoll::kThrottleMs;
        r.poll.UpdateMeters();
    }
    st.SetLabel(st.range(0) == 255 ? "speakers line" : "wave source");
}
BENCHMARK(UpdateMetersPass)->Arg(255)->Arg(0)->Repetitions(5)->ReportAggregatesOnly(true);

// A pass the throttle stops: only the reopen of the main mixer object.
void UpdateMetersThrottled(benchmark::State& st) {
    Rig r(255);
    r.now = 1000;
    r.poll.UpdateMeters();
    for (auto _ : st) r.poll.UpdateMeters();
}
BENCHMARK(UpdateMetersThrottled)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
