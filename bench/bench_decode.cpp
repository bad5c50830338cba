// Decode throughput: whole display frames through the decoders and the panel model,
// printed as frames per second.
#include "DisplayDecoder.h"
#include "PanelModel.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray sampleFrame(int n)
{
    QByteArray frame(36, '\0');
    frame[0] = 0x02;
    for (int i = 1; i < 22; ++i)
        frame[i] = static_cast<char>(((n + i) % 10) << 4 | (i % 10));
    for (int i = 22; i < 33; ++i)
        frame[i] = static_cast<char>(0x5A ^ (n + i));
    frame[33] = static_cast<char>(0x10 | (n % 16));
    frame[34] = static_cast<char>(n % 48);
    frame[35] = 0x03;
    return frame;
}

void decodeFrames(benchmark::State& state)
{
    std::vector<QByteArray> frames;
    for (int n = 0; n < 64; ++n)
        frames.push_back(sampleFrame(n));
    PanelModel panel;
    CurrentReading reading;
    size_t i = 0;
    for (auto _ : state) {
        panel.applyFrame(frames[i++ % frames.size()], reading, false);
        benchmark::DoNotOptimize(panel.takeDirty());
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(decodeFrames);

} // namespace

BENCHMARK_MAIN();
