// Throughput of the scanning text operations over large texts, and of building a large
// byte string from 1024-byte pieces. Time per megabyte must stay flat as the size grows.
#include "values/TextOperations.h"
#include "values/Values.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <malloc.h>
#include <string>

namespace {

constexpr int64_t kMegabyte = 1 << 20;

// Header-like filler that mixes ASCII and two-byte characters (中文 is D6 D0 CE C4), so
// every scan takes both kinds of character step. One record is 28 bytes.
const std::string kRecord = "name=value, \xD6\xD0\xCE\xC4 Gzip; x=12,";

Text Filler(int64_t size) {
    std::string filler;
    filler.reserve(static_cast<size_t>(size));
    while (static_cast<int64_t>(filler.size() + kRecord.size()) <= size)
        filler += kRecord;
    filler.append(static_cast<size_t>(size) - filler.size(), 'x');
    return Text(std::move(filler));
}

void SizesFrom1To64Megabytes(benchmark::internal::Benchmark* benchmark) {
    benchmark->RangeMultiplier(4)->Range(kMegabyte, 64 * kMegabyte)->Unit(benchmark::kMillisecond);
}

void FindTextMatchAtTheEnd(benchmark::State& state, bool ignoreCase) {
    const Text needle = "Content-Encoding: gzip";
    Text text = ConcatText(Filler(state.range(0) - TextLength(needle)), needle);
    const int32_t expected = TextLength(text) - TextLength(needle) + 1;
    benchmark::DoNotOptimize(FindText(text, needle));
    for (auto _ : state) {
        int32_t position = FindText(text, ignoreCase ? Text("content-encoding: GZIP") : needle,
                                    std::nullopt, ignoreCase);
        if (position != expected)
            state.SkipWithError("the match at the end was not found");
        benchmark::DoNotOptimize(position);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_FindTextExact(benchmark::State& state) {
    FindTextMatchAtTheEnd(state, false);
}

void BM_FindTextIgnoringCase(benchmark::State& state) {
    FindTextMatchAtTheEnd(state, true);
}

// Two occurrences in every 28-byte record, each one growing the text by a byte.
void BM_ReplaceSubtextManyOccurrences(benchmark::State& state) {
    Text text = Filler(state.range(0));
    benchmark::DoNotOptimize(
        ReplaceSubtext(text, "=", Text(": "), std::nullopt, std::nullopt, true));
    for (auto _ : state) {
        Text replaced = ReplaceSubtext(text, "=", Text(": "), std::nullopt, std::nullopt, true);
        benchmark::DoNotOptimize(replaced.View().data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Two pieces per 28-byte record; the list and its pieces are released inside the loop too.
void BM_SplitTextAtCommas(benchmark::State& state) {
    Text text = Filler(state.range(0));
    benchmark::DoNotOptimize(SplitText(text, Text(",")));
    for (auto _ : state) {
        TextList pieces = SplitText(text, Text(","));
        benchmark::DoNotOptimize(pieces.Elements().data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// A response body read in 1024-byte pieces, each appended to the body given up by its owner.
void BM_AppendBytesIn1024BytePieces(benchmark::State& state) {
    const Bytes piece(std::string(1024, 'z'));
    const int64_t pieces = state.range(0) / 1024;
    for (auto _ : state) {
        Bytes body;
        for (int64_t index = 0; index < pieces; ++index)
            body = ConcatBytes(std::move(body), piece);
        benchmark::DoNotOptimize(body.Data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_FindTextExact)->Apply(SizesFrom1To64Megabytes);
BENCHMARK(BM_FindTextIgnoringCase)->Apply(SizesFrom1To64Megabytes);
BENCHMARK(BM_ReplaceSubtextManyOccurrences)->Apply(SizesFrom1To64Megabytes);
BENCHMARK(BM_SplitTextAtCommas)->Apply(SizesFrom1To64Megabytes);
BENCHMARK(BM_AppendBytesIn1024BytePieces)->Arg(256 * kMegabyte)->Unit(benchmark::kMillisecond);

// The text operations build their results with malloc. By default glibc hands blocks above
// 32 MB straight back to the kernel, so at the larger sizes every iteration would touch fresh
// pages and time the kernel's page faults instead of the operation. Keeping freed memory in
// the process makes every size run on memory that the warm-up call touched. Large byte
// strings map their own blocks and so still pay for fresh pages, as a real body does.
void KeepFreedMemoryInTheProcess() {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

int main(int argc, char** argv) {
    KeepFreedMemoryInTheProcess();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
