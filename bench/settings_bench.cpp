// Parsing and writing of settings files with 1, 10, 100 and 1000 skylights.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <string>

#include "state/settings_format.h"

namespace {

// A layout like a user's: mixed shapes, monitors left of and above the primary one.
AppState StateWith(int64_t count) {
    AppState state;
    state.backgroundBrightness = 35;
    state.textScale = 125;
    for (int64_t i = 0; i < count; ++i) {
        const auto n = static_cast<int32_t>(i);
        const int32_t left = -2560 + (n * 37) % 5000;
        const int32_t top = -1440 + (n * 53) % 2800;
        state.skylights.push_back(SkylightRegion{Rect{left, top, left + 200 + n % 600, top + 100 + n % 400},
                                                 static_cast<SkylightShape>(n % 6), n % 101, n % 2 == 0});
    }
    return state;
}

void ParseSettingsFile(benchmark::State& run) {
    const std::string text = SerializeSettings(StateWith(run.range(0))).value();
    for (auto _ : run) {
        AppState state;
        const bool loaded = ParseSettings(text, state);
        benchmark::DoNotOptimize(loaded);
        benchmark::DoNotOptimize(state.skylights.data());
    }
    run.SetBytesProcessed(run.iterations() * static_cast<int64_t>(text.size()));
    run.counters["file_bytes"] = static_cast<double>(text.size());
}

void SerializeSettingsFile(benchmark::State& run) {
    const AppState state = StateWith(run.range(0));
    std::size_t size = 0;
    for (auto _ : run) {
        const std::optional<std::string> text = SerializeSettings(state);
        benchmark::DoNotOptimize(text);
        size = text->size();
    }
    run.SetBytesProcessed(run.iterations() * static_cast<int64_t>(size));
    run.counters["file_bytes"] = static_cast<double>(size);
}

BENCHMARK(ParseSettingsFile)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SerializeSettingsFile)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
