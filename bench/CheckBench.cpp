// One whole check on the real window (offscreen platform) of a 100 MB HTML page that nginx
// serves gzip-compressed on loopback, timed from the click on "检测" until the check gives
// the button back, against the command line doing the same work: curl fetching the gzip
// bytes, then `gzip -dc | wc -c` counting what they decode to. Every check runs in a fresh
// child process, so that the peak memory it reports is its own. The check should take no
// more than 1.3 times the command lines.
#include "../tests/gzip/GzipFixtures.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "support/Nginx.h"
#include "values/Files.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int64_t kMegabyte = 1 << 20;
constexpr int64_t kPageSize = 100 * kMegabyte;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](timeval time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in bytes.
int64_t StatusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(field))
            return std::atoll(line.c_str() + field.size()) * 1024;
    return 0;
}

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// ---- The check, in a child process -------------------------------------------------------

// Notes the moment the button is enabled again and ends the wait for it.
class ButtonGivenBack : public QObject {
public:
    ButtonGivenBack(QAbstractButton* button, QEventLoop* loop) : m_button(button), m_loop(loop) {
        button->installEventFilter(this);
    }
    bool Seen() const { return m_seen; }
    Clock::time_point At() const { return m_at; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_button && event->type() == QEvent::EnabledChange &&
            m_button->isEnabled()) {
            m_at = Clock::now();
            m_seen = true;
            m_loop->quit();
        }
        return false;
    }

private:
    QAbstractButton* m_button;
    QEventLoop* m_loop;
    Clock::time_point m_at;
    bool m_seen = false;
};

// Child mode: "--child-check <url>". Prints "<seconds> <cpu seconds> <peak bytes> <resident
// bytes before the click>" and then the texts of the labels, one a line.
int RunCheckChild(char* programName, const char* url) {
    InitialiseProcess();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {programName, nullptr};
    QApplication application(qtArgc, qtArgv);
    MainWindow window;
    window.show();
    QApplication::processEvents();

    auto* box = qobject_cast<QLineEdit*>(window.ControlWidget(Control::编辑框1));
    auto* button = qobject_cast<QAbstractButton*>(window.ControlWidget(Control::按钮1));
    box->setText(QString::fromUtf8(url));
    QEventLoop loop;
    ButtonGivenBack givenBack(button, &loop);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);

    const int64_t residentBefore = StatusBytes("VmRSS:");
    const double cpuStart = CpuSeconds(RUSAGE_SELF);
    const Clock::time_point start = Clock::now();
    QTest::mouseClick(button, Qt::LeftButton);
    if (button->isEnabled())
        return 1; // the click did not start a check
    loop.exec();
    if (!givenBack.Seen())
        return 1;
    const double seconds = std::chrono::duration<double>(givenBack.At() - start).count();
    std::printf("%.6f %.6f %lld %lld\n", seconds, CpuSeconds(RUSAGE_SELF) - cpuStart,
                static_cast<long long>(StatusBytes("VmHWM:")),
                static_cast<long long>(residentBefore));
    for (Control control : kAllControls)
        if (auto* label = qobject_cast<QLabel*>(window.ControlWidget(control)))
            std::printf("%s\n", label->text().toUtf8().constData());
    // The worker has given the button back as its last step; nothing is left to wait for.
    std::fflush(stdout);
    std::_Exit(0);
}

// ---- The page and the two ways of measuring it -------------------------------------------

struct Page {
    std::string url;
    std::string gzipFile;
    int64_t size = 0;
    int64_t gzipSize = 0;
    std::string problem; // why there is no page to measure, when there is none
};

const Nginx& Server() {
    static Nginx nginx({.gzipStatic = true});
    return nginx;
}

// The page and its gzip member, both as nginx serves them; a request that accepts gzip gets
// the member's bytes. Made once: the texts are released, only the files stay.
const Page& ThePage() {
    static const Page page = [] {
        Page made;
        if (!Server().Running()) {
            made.problem = "nginx did not start: " + Server().Log();
            return made;
        }
        std::string content = HtmlLikeText(static_cast<size_t>(kPageSize), 7);
        std::string member = GzipMember(content, 6);
        Server().WriteFile("page.html", content);
        made.gzipFile = Server().WriteFile("page.html.gz", member);
        made.url = Server().Url("/page.html");
        made.size = static_cast<int64_t>(content.size());
        made.gzipSize = static_cast<int64_t>(member.size());
        return made;
    }();
    return page;
}

std::string SelfPath() {
    std::vector<char> path(4096);
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    return length > 0 ? std::string(path.data(), static_cast<size_t>(length)) : std::string();
}

struct CheckResult {
    double seconds = 0;
    double cpuSeconds = 0;
    int64_t peakBytes = 0;
    int64_t residentBefore = 0;
    std::vector<std::string> labels;
};

bool RunCheckInChild(const Page& page, CheckResult* result) {
    std::string command = SelfPath() + " --child-check '" + page.url + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child)
        return false;
    long long peak = 0;
    long long before = 0;
    bool read = std::fscanf(child, "%lf %lf %lld %lld\n", &result->seconds, &result->cpuSeconds,
                            &peak, &before) == 4;
    char line[512];
    while (std::fgets(line, sizeof line, child)) {
        std::string text = line;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        result->labels.push_back(text);
    }
    result->peakBytes = peak;
    result->residentBefore = before;
    return pclose(child) == 0 && read;
}

bool HasLabel(const CheckResult& result, const std::string& text) {
    for (const std::string& label : result.labels)
        if (label == text)
            return true;
    return false;
}

// What the window must show for this page: a gzip body, its sizes as sent and as decoded.
bool ShowsThePage(const CheckResult& result, const Page& page) {
    return HasLabel(result, Utf8(u8"是否压缩：是")) &&
           HasLabel(result, Utf8(u8"原始大小：") + std::to_string(page.size)) &&
           HasLabel(result, Utf8(u8"压缩大小：") + std::to_string(page.gzipSize));
}

void CheckOnTheWindow(benchmark::State& state) {
    const Page& page = ThePage();
    if (!page.problem.empty()) {
        state.SkipWithError(page.problem.c_str());
        return;
    }
    double cpuSeconds = 0;
    int64_t peak = 0;
    int64_t growth = 0;
    for (auto _ : state) {
        CheckResult result;
        if (!RunCheckInChild(page, &result) || !ShowsThePage(result, page)) {
            state.SkipWithError("the check did not end with the page's sizes in the window");
            return;
        }
        state.SetIterationTime(result.seconds);
        cpuSeconds += result.cpuSeconds;
        peak = std::max(peak, result.peakBytes);
        growth = std::max(growth, result.peakBytes - result.residentBefore);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = 1000 * cpuSeconds / iterations;
    state.counters["peak_MB"] = static_cast<double>(peak) / kMegabyte;
    state.counters["peak_growth_MB"] = static_cast<double>(growth) / kMegabyte;
    state.counters["body_MB"] = static_cast<double>(page.gzipSize) / kMegabyte;
    state.counters["decoded_MB"] = static_cast<double>(page.size) / kMegabyte;
}

// The command lines as a user would type them; both run through the shell, whose start is
// part of their cost as the window's start is not part of the check's.
std::string CurlCommand(const Page& page) {
    return "curl -s -o /dev/null -H 'Accept-Encoding: gzip' '" + page.url + "'";
}

std::string GunzipCountCommand(const Page& page) {
    return "gzip -dc '" + page.gzipFile + "' | wc -c";
}

// Whether curl is sent the gzip member: what it downloads must be exactly its bytes.
bool CurlGetsTheMember(const Page& page) {
    std::string command = "curl -s -o /dev/null -w '%{size_download}' -H "
                          "'Accept-Encoding: gzip' '" +
                          page.url + "'";
    FILE* curl = popen(command.c_str(), "r");
    long long downloaded = -1;
    if (curl) {
        if (std::fscanf(curl, "%lld", &downloaded) != 1)
            downloaded = -1;
        pclose(curl);
    }
    return downloaded == page.gzipSize;
}

void CurlThenGzipOnTheCommandLine(benchmark::State& state) {
    const Page& page = ThePage();
    if (!page.problem.empty()) {
        state.SkipWithError(page.problem.c_str());
        return;
    }
    if (!CurlGetsTheMember(page)) {
        state.SkipWithError("curl was not sent the gzip member");
        return;
    }
    const std::string curl = CurlCommand(page);
    const std::string gunzip = GunzipCountCommand(page);
    double curlSeconds = 0;
    double gzipSeconds = 0;
    const double cpuStart = CpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        int curlStatus = std::system(curl.c_str());
        const Clock::time_point fetched = Clock::now();
        long long counted = -1;
        if (FILE* count = popen(gunzip.c_str(), "r")) {
            if (std::fscanf(count, "%lld", &counted) != 1)
                counted = -1;
            pclose(count);
        }
        const double gzipPart = SecondsSince(fetched);
        if (curlStatus != 0 || counted != page.size) {
            state.SkipWithError("the command lines did not fetch and count the page");
            return;
        }
        curlSeconds += std::chrono::duration<double>(fetched - start).count();
        gzipSeconds += gzipPart;
        state.SetIterationTime(SecondsSince(start));
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = 1000 * (CpuSeconds(RUSAGE_CHILDREN) - cpuStart) / iterations;
    state.counters["curl_ms"] = 1000 * curlSeconds / iterations;
    state.counters["gzip_ms"] = 1000 * gzipSeconds / iterations;
    state.counters["body_MB"] = static_cast<double>(page.gzipSize) / kMegabyte;
    state.counters["decoded_MB"] = static_cast<double>(page.size) / kMegabyte;
}

BENCHMARK(CheckOnTheWindow)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CurlThenGzipOnTheCommandLine)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child-check")
        return RunCheckChild(argv[0], argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
