// How long the windows' frequent reopening of a card takes: every MixerId
// assignment opens the device, reads its capabilities, builds the whole
// line and control tree and closes it again on the next assignment.

#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "platform/sim/sim_driver.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

void AssignMixerIdOnDemoCard(benchmark::State& state) {
    MixerService service(SimDriver::demo());
    TAudioMixer mixer(service);
    for (auto _ : state) {
        mixer.SetMixerId(0);
        benchmark::DoNotOptimize(mixer.Destinations());
    }
    state.SetLabel("open + caps + model + close");
}
BENCHMARK(AssignMixerIdOnDemoCard)->Repetitions(10)->ReportAggregatesOnly(true);

void ReadMasterLevels(benchmark::State& state) {
    MixerService service(SimDriver::demo());
    TAudioMixer mixer(service);
    for (auto _ : state) benchmark::DoNotOptimize(mixer.GetLineLevels(0, -1));
}
BENCHMARK(ReadMasterLevels)->Repetitions(5)->ReportAggregatesOnly(true);

void ReadMasterMeter(benchmark::State& state) {
    MixerService service(SimDriver::demo());
    TAudioMixer mixer(service);
    int l, r;
    for (auto _ : state) benchmark::DoNotOptimize(mixer.GetLineMeter(0, -1, l, r));
}
BENCHMARK(ReadMasterMeter)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
