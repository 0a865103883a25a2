// A large body from nginx on loopback, read through the internet layer exactly as FetchUrl
// reads it (1024-byte InetReadFile calls appended into Bytes) against libcurl alone writing
// into a preallocated buffer, untouched (memory seen for the first time, as a body's is) or
// prefaulted (the transfer alone). Each run happens in a fresh child process, so that its
// peak memory can be measured: the layer should cost at most 1.2 times the time of libcurl
// alone and peak at no more than 2.2 times the body.
#include "http/Inet.h"
#include "support/Nginx.h"
#include "values/Bytes.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int64_t kMegabyte = 1 << 20;

struct RunResult {
    double seconds = 0;
    double cpuSeconds = 0; // the child's user and system time for the fetch
    int64_t bytes = 0;
    int64_t peakGrowthBytes = 0; // the child's peak resident size above its size at start
};

int64_t PeakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<int64_t>(usage.ru_maxrss) * 1024;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](timeval time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs this program again as a fresh process (a forked one would inherit the parent's
// freed but still resident heap and hide the growth) in child mode with the arguments,
// and reads back the line it prints.
RunResult RunInChild(const std::string& arguments) {
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    self[length] = '\0';
    std::string command = std::string(self) + " --child " + arguments;
    RunResult result;
    if (FILE* child = popen(command.c_str(), "r")) {
        long long bytes = 0;
        long long peak = 0;
        if (std::fscanf(child, "%lf %lf %lld %lld", &result.seconds, &result.cpuSeconds, &bytes,
                        &peak) == 4) {
            result.bytes = bytes;
            result.peakGrowthBytes = peak;
        }
        pclose(child);
    }
    return result;
}

int64_t FetchThroughLayer(int port, const std::string& path) {
    InetHandle internet = InetOpen("bench", kInetOpenTypeDirect, nullptr, nullptr, 0);
    InetHandle connection =
        InetConnect(internet, "127.0.0.1", port, nullptr, nullptr, kInetServiceHttp, 0, 0);
    InetHandle request = InetOpenRequest(connection, "GET", path.c_str(), "HTTP/1.1", nullptr,
                                         nullptr, kInetFlagReload | kInetFlagNeedFile, 0);
    const std::string headers = "Accept-Encoding: gzip, deflate\r\nAccept: */*";
    InetSendRequest(request, headers.c_str(), static_cast<int32_t>(headers.size()), "", 0);
    Bytes body;
    char buffer[1024];
    int32_t count = 0;
    do {
        InetReadFile(request, buffer, sizeof buffer, &count);
        body.Append(buffer, count);
    } while (count != 0);
    InetCloseHandle(request);
    InetCloseHandle(connection);
    InetCloseHandle(internet);
    return body.Length();
}

struct PlainBuffer {
    char* data;
    size_t capacity;
    size_t length = 0;
};

size_t WriteIntoBuffer(char* data, size_t size, size_t count, void* target) {
    auto* buffer = static_cast<PlainBuffer*>(target);
    size_t bytes = size * count;
    if (buffer->length + bytes > buffer->capacity)
        return 0;
    std::memcpy(buffer->data + buffer->length, data, bytes);
    buffer->length += bytes;
    return bytes;
}

int64_t FetchWithCurlAlone(const std::string& url, char* storage, int64_t size) {
    PlainBuffer buffer{storage, static_cast<size_t>(size)};
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteIntoBuffer);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &buffer);
    // The layer's receive size, so that the comparison measures the layer's own cost.
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 64L * 1024);
    CURLcode result = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    return result == CURLE_OK ? static_cast<int64_t>(buffer.length) : 0;
}

// One nginx for the whole run, serving a body file of each size asked for.
const Nginx& Server() {
    static Nginx nginx;
    return nginx;
}

std::string BodyPath(int64_t size) {
    std::string name = "body-" + std::to_string(size) + ".bin";
    static int64_t written = -1;
    if (written != size) {
        std::string body(static_cast<size_t>(size), '\0');
        for (size_t i = 0; i < body.size(); ++i)
            body[i] = static_cast<char>((i * 2654435761u) >> 11);
        Server().WriteFile(name, body);
        written = size;
    }
    return "/" + name;
}

void Report(benchmark::State& state, int64_t size, double peakGrowth, double cpuSeconds) {
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["child_cpu_ms"] = 1000 * cpuSeconds / static_cast<double>(state.iterations());
    state.counters["peak_MB"] = peakGrowth / kMegabyte;
    state.counters["peak_per_body"] = peakGrowth / static_cast<double>(size);
}

void Measure(benchmark::State& state, int64_t size, const std::string& childArguments) {
    if (!Server().Running()) {
        state.SkipWithError(("nginx did not start: " + Server().Log()).c_str());
        return;
    }
    double peakGrowth = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        RunResult result = RunInChild(childArguments);
        if (result.bytes != size) {
            state.SkipWithError("the body did not arrive whole");
            return;
        }
        state.SetIterationTime(result.seconds);
        cpuSeconds += result.cpuSeconds;
        peakGrowth = std::max(peakGrowth, static_cast<double>(result.peakGrowthBytes));
    }
    Report(state, size, peakGrowth, cpuSeconds);
}

void LayerWith1024ByteReadsIntoBytes(benchmark::State& state) {
    int64_t size = state.range(0) * kMegabyte;
    std::string path = BodyPath(size);
    Measure(state, size,
            "layer " + std::to_string(Server().Port()) + " " + path + " " + std::to_string(size));
}

void CurlAloneIntoPreallocatedBuffer(benchmark::State& state) {
    int64_t size = state.range(0) * kMegabyte;
    std::string url = Server().Url(BodyPath(size));
    Measure(state, size, "curl " + url + " " + std::to_string(size));
}

void CurlAloneIntoPrefaultedBuffer(benchmark::State& state) {
    int64_t size = state.range(0) * kMegabyte;
    std::string url = Server().Url(BodyPath(size));
    Measure(state, size, "curl-prefaulted " + url + " " + std::to_string(size));
}

BENCHMARK(LayerWith1024ByteReadsIntoBytes)
    ->Arg(25)
    ->Arg(100)
    ->Arg(256)
    ->MinTime(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CurlAloneIntoPreallocatedBuffer)
    ->Arg(25)
    ->Arg(100)
    ->Arg(256)
    ->MinTime(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CurlAloneIntoPrefaultedBuffer)
    ->Arg(25)
    ->Arg(100)
    ->Arg(256)
    ->MinTime(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Child mode: "--child layer <port> <path> <size>", "--child curl <url> <size>" or
// "--child curl-prefaulted <url> <size>". Prints "<seconds> <cpu seconds> <bytes> <peak
// growth in bytes>".
int RunChild(int argc, char** argv) {
    std::string way = argv[2];
    int64_t size = std::atoll(argv[argc - 1]);
    int64_t peakBefore = PeakResidentBytes();
    std::unique_ptr<char[]> storage;
    if (way != "layer")
        storage.reset(new char[static_cast<size_t>(size)]);
    // Prefaulted: the buffer's pages are touched before the clocks start, which leaves the
    // transfer alone, the floor that no way of storing the body can go below.
    if (way == "curl-prefaulted")
        std::memset(storage.get(), 0, static_cast<size_t>(size));
    auto start = std::chrono::steady_clock::now();
    double cpuStart = CpuSeconds();
    int64_t bytes = way == "layer" ? FetchThroughLayer(std::atoi(argv[3]), argv[4])
                                   : FetchWithCurlAlone(argv[3], storage.get(), size);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.6f %.6f %lld %lld\n", seconds, CpuSeconds() - cpuStart,
                static_cast<long long>(bytes),
                static_cast<long long>(PeakResidentBytes() - peakBefore));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "--child")
        return RunChild(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
