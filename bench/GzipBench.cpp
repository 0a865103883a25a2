// Decoding throughput of GunzipBody and GunzippedLength through gzip.dll, against zlib's
// one-shot inflate of the same member into a buffer made beforehand. Sizes are decoded
// sizes of HTML-like text; time per megabyte must stay flat as the size grows.
#include "../tests/gzip/GzipFixtures.h"
#include "gzip/EnsureGzipLibrary.h"
#include "gzip/GunzipBody.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <zlib.h>

namespace {

constexpr int64_t kMegabyte = 1 << 20;

struct Sample {
    std::string content;
    std::string member;
};

// Made once per size, and only one size is held at a time: the benchmarks run size by size,
// so the memory of the larger samples never crowds the memory that is being measured.
const Sample& SampleOf(int64_t size) {
    static int64_t heldSize = -1;
    static Sample sample;
    if (heldSize != size) {
        sample = Sample();
        sample.content = HtmlLikeText(static_cast<size_t>(size), 42);
        sample.member = GzipMember(sample.content, 6);
        heldSize = size;
    }
    return sample;
}

void Report(benchmark::State& state, const Sample& sample) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sample.content.size()));
    state.counters["ratio"] =
        static_cast<double>(sample.member.size()) / static_cast<double>(sample.content.size());
}

void ZlibOneShotInflate(benchmark::State& state) {
    const Sample& sample = SampleOf(state.range(0));
    std::string output(sample.content.size(), '\0');
    for (auto _ : state) {
        z_stream stream{};
        inflateInit2(&stream, 15 + 16);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(sample.member.data()));
        stream.avail_in = static_cast<uInt>(sample.member.size());
        stream.next_out = reinterpret_cast<Bytef*>(output.data());
        stream.avail_out = static_cast<uInt>(output.size());
        int result = inflate(&stream, Z_FINISH);
        inflateEnd(&stream);
        if (result != Z_STREAM_END)
            state.SkipWithError("zlib did not reach the end of the member");
        benchmark::DoNotOptimize(output.data());
    }
    if (output != sample.content)
        state.SkipWithError("zlib decoded something else");
    Report(state, sample);
}

void GunzipBodyDecoding(benchmark::State& state) {
    EnsureGzipLibrary();
    const Sample& sample = SampleOf(state.range(0));
    const Bytes body(sample.member);
    for (auto _ : state) {
        Bytes output = GunzipBody(body);
        benchmark::DoNotOptimize(output.Data());
        // Releasing the result is the caller's business, as zlib's buffer is above: only its
        // making (fresh pages included) is timed.
        state.PauseTiming();
        if (output.Length() != static_cast<int32_t>(sample.content.size()))
            state.SkipWithError("GunzipBody decoded another length");
        output = Bytes();
        state.ResumeTiming();
    }
    if (GunzipBody(body).View() != sample.content)
        state.SkipWithError("GunzipBody decoded something else");
    Report(state, sample);
}

void GunzippedLengthCounting(benchmark::State& state) {
    EnsureGzipLibrary();
    const Sample& sample = SampleOf(state.range(0));
    const Bytes body(sample.member);
    for (auto _ : state) {
        int32_t length = GunzippedLength(body);
        if (length != static_cast<int32_t>(sample.content.size()))
            state.SkipWithError("GunzippedLength counted another length");
        benchmark::DoNotOptimize(length);
    }
    Report(state, sample);
}

} // namespace

// Registered size by size (the three at one size, then the next size) rather than function
// by function, so that one sample serves the three.
int main(int argc, char** argv) {
    for (int64_t megabytes : {1, 4, 16, 64, 100, 256}) {
        int64_t size = megabytes * kMegabyte;
        for (auto [name, function] :
             {std::pair{"ZlibOneShotInflate", &ZlibOneShotInflate},
              std::pair{"GunzipBodyDecoding", &GunzipBodyDecoding},
              std::pair{"GunzippedLengthCounting", &GunzippedLengthCounting}})
            benchmark::RegisterBenchmark(name, function)
                ->Arg(size)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
