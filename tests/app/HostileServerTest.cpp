// Whole checks on the real window against servers that misbehave and addresses that make no
// sense: every case must give the button back within its time, in bounded memory, with a
// responsive window and the labels that such a page or such a failure reads.
#include "WindowProbe.h"
#include "app/MainWindow.h"
#include "http/InetCurlSettings.h"
#include "support/GzipForTests.h"
#include "support/LoopbackServer.h"
#include "support/Nginx.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <zlib.h>

using namespace std::chrono_literals;

namespace {

// The layer's time-outs are shortened for the whole suite, so a stalled server costs
// seconds, not minutes.
constexpr int kNoDataTimeoutMs = 2000;
constexpr int kConnectTimeoutMs = 2000;
// Time for a check that meets no time-out, and slack on top of a time-out, for a busy
// machine.
constexpr qint64 kQuickMs = 5000;
constexpr qint64 kMarginMs = 4000;
constexpr long kUsualMemoryMb = 64;

// What the six labels read after a check.
struct Labels {
    QString encoding;
    QString compressed;
    QString type;
    QString originalSize = FromUtf8(u8"原始大小：");
    QString compressedSize = FromUtf8(u8"压缩大小：");
    QString ratio = FromUtf8(u8"压缩率（估计值）：");
};

QString Encoding(const char8_t* value) {
    return FromUtf8(u8"编码方式：") + FromUtf8(value);
}
const char8_t* const kUnknown = u8"未知！";

// Nothing came back: no header block, no body.
Labels FailedFetch() {
    return {Encoding(kUnknown), FromUtf8(u8"是否压缩：否"), FromUtf8(u8"压缩类型：未知！")};
}
// A body without the gzip line: its length differs from the 0 decoded bytes.
Labels PlainBody(const char8_t* encoding) {
    return {Encoding(encoding), FromUtf8(u8"是否压缩：未知！"), FromUtf8(u8"压缩类型：未知！")};
}
// A header block without the gzip line and no body.
Labels NoBody(const char8_t* encoding) {
    return {Encoding(encoding), FromUtf8(u8"是否压缩：否"), FromUtf8(u8"压缩类型：未知！")};
}
// Integer arithmetic, away from the double path that the program takes; nothing decoded
// reads 0%.
Labels GzipBody(const char8_t* encoding, qint64 originalSize, qint64 compressedSize) {
    const qint64 percentage = originalSize == 0 ? 0 : compressedSize * 100 / originalSize;
    return {Encoding(encoding),
            FromUtf8(u8"是否压缩：是"),
            FromUtf8(u8"压缩类型：GZIP"),
            FromUtf8(u8"原始大小：") + QString::number(originalSize),
            FromUtf8(u8"压缩大小：") + QString::number(compressedSize),
            FromUtf8(u8"压缩率（估计值）：") + QString::number(percentage) + QLatin1Char('%')};
}

// One whole check: what the servers do, what is typed, and what must come of it.
struct Trial {
    std::unique_ptr<LoopbackServer> server;
    // A server that a redirect leads to.
    std::unique_ptr<LoopbackServer> target;
    std::unique_ptr<Nginx> nginx;
    QString url;
    Labels labels;
    qint64 maxMs = kQuickMs;
    long maxMemoryMb = kUsualMemoryMb;
    std::optional<InetCurlSettings> settings;
    // How many requests the loopback server must have received (-1: not checked), and how
    // the first must begin.
    int requests = -1;
    std::string requestStart;
};

struct Case {
    const char* name;
    std::function<Trial()> make;
};

std::string LittleEndian32(uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    return bytes;
}

// Raw deflate of `chunk` ended by a full flush: byte-aligned and independent of what came
// before, so the same bytes can be repeated to stand for the chunk repeated.
std::string FullyFlushedDeflate(z_stream& stream, std::string_view chunk, int flush) {
    std::string out(deflateBound(&stream, static_cast<uLong>(chunk.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
    stream.avail_in = static_cast<uInt>(chunk.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, flush);
    out.resize(out.size() - stream.avail_out);
    return out;
}

// A gzip member of `mebibytes` MiB of zeros, about 1 KB per MiB, built without deflating
// the whole content.
std::string GzipOfZeros(uint32_t mebibytes) {
    const std::string chunk(1 << 20, '\0');
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    const std::string first = FullyFlushedDeflate(stream, chunk, Z_FULL_FLUSH);
    const std::string next = FullyFlushedDeflate(stream, chunk, Z_FULL_FLUSH);
    const std::string last = FullyFlushedDeflate(stream, {}, Z_FINISH);
    deflateEnd(&stream);

    const uLong chunkCrc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), 1 << 20);
    uLong crc = chunkCrc;
    std::string member("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    member.reserve(10 + first.size() + next.size() * mebibytes + 16);
    member += first;
    for (uint32_t i = 1; i < mebibytes; ++i) {
        member += next;
        crc = crc32_combine(crc, chunkCrc, 1 << 20);
    }
    member += last;
    member += LittleEndian32(static_cast<uint32_t>(crc));
    member += LittleEndian32(static_cast<uint32_t>(uint64_t{mebibytes} << 20));
    return member;
}

// A gzip member whose header carries a file name of `nameLength` bytes.
std::string GzipWithName(std::string_view content, size_t nameLength) {
    std::string member = GzipForTests(content);
    member[3] = static_cast<char>(member[3] | 0x08);
    member.insert(10, std::string(nameLength, 'n') + '\0');
    return member;
}

std::string RandomBytes(size_t length, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(length, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    if (bytes.size() > 1 && bytes[0] == '\x1f')
        bytes[0] = 'x';
    return bytes;
}

std::string Head(std::string_view headerLines, std::string_view extra = {}) {
    return "HTTP/1.1 200 OK\r\n" + std::string(headerLines) + std::string(extra) + "\r\n";
}

std::unique_ptr<LoopbackServer> Server(loopback::Scenario scenario) {
    return std::make_unique<LoopbackServer>(std::move(scenario));
}

QString UrlOf(const LoopbackServer& server, std::string_view path = "/") {
    return QString::fromStdString(server.Url(path));
}

// A port on which nothing listens: a server's, once it has gone.
int ClosedPort() {
    LoopbackServer gone(loopback::Respond(""));
    return gone.Port();
}

// A server that answers a plain page, and a trial that fetches it with `url`.
Trial ServedPage(Trial trial) {
    trial.server = Server(loopback::Respond(
        loopback::Response("200 OK", "Content-Type: text/html; charset=utf-8\r\n", "<p>hi</p>")));
    trial.labels = PlainBody(u8"UTF8");
    trial.requests = 1;
    return trial;
}

// A trial whose address reaches no server, whatever is typed.
Trial Unfetchable(QString url) {
    Trial trial;
    trial.url = std::move(url);
    trial.labels = FailedFetch();
    return trial;
}

const std::string kGbkHtml = "Content-Type: text/html; charset=GBK\r\n";
const std::string kGzipGbk = kGbkHtml + "Content-Encoding: gzip\r\n";

Trial Answer(loopback::Scenario scenario, Labels labels, qint64 maxMs = kQuickMs) {
    Trial trial;
    trial.server = Server(std::move(scenario));
    trial.url = UrlOf(*trial.server);
    trial.labels = std::move(labels);
    trial.maxMs = maxMs;
    return trial;
}

// A gzip body sent whole with the gzip line; `original` is what its first member decodes to.
Trial GzipAnswer(std::string body, qint64 original) {
    const qint64 length = static_cast<qint64>(body.size());
    return Answer(loopback::Respond(loopback::Response("200 OK", kGzipGbk, body)),
                  GzipBody(u8"GBK", original, length));
}

const qint64 kStalledMs = kNoDataTimeoutMs + kMarginMs;

const Case kServerCases[] = {
    // Silence and stalls end at the no-data time-out, as a failed fetch.
    {"AcceptsAndNeverAnswers",
     [] { return Answer({loopback::Hang()}, FailedFetch(), kStalledMs); }},
    {"StatusLineThenStall",
     [] {
         return Answer({loopback::Write("HTTP/1.1 200 OK\r\n"), loopback::Hang()}, FailedFetch(),
                       kStalledMs);
     }},
    {"DripSlowerThanTheTimeOut",
     [] {
         return Answer(loopback::Drip(loopback::Response("200 OK", kGbkHtml, "slow"), 1, 3000ms),
                       FailedFetch(), kStalledMs);
     }},
    // A drip that never pauses as long as the time-out is a slow page, not a failure.
    {"DripWithinTheTimeOut",
     [] {
         loopback::Scenario steps = {loopback::Write(Head(kGbkHtml, "Content-Length: 4\r\n"))};
         for (char byte : std::string("drip")) {
             steps.push_back(loopback::Sleep(600ms));
             steps.push_back(loopback::Write(std::string(1, byte)));
         }
         return Answer(steps, PlainBody(u8"GBK"), kQuickMs + 2400);
     }},
    {"ResetInsideTheHeaders",
     [] {
         return Answer({loopback::Write("HTTP/1.1 200 OK\r\nContent-Ty"), loopback::Reset()},
                       FailedFetch());
     }},
    // The bytes before the break are the body.
    {"ResetInsideTheBody",
     [] {
         return Answer(
             {loopback::Write(Head(kGbkHtml, "Content-Length: 1000\r\n") + std::string(100, 'b')),
              loopback::Sleep(100ms), loopback::Reset()},
             PlainBody(u8"GBK"));
     }},
    {"ClosesBeforeAnyByte", [] { return Answer({loopback::Close()}, FailedFetch()); }},
    {"ResetsBeforeAnyByte", [] { return Answer({loopback::Reset()}, FailedFetch()); }},

    // Header blocks that are no HTTP, or too large to hold.
    {"NoStatusLine",
     [] { return Answer(loopback::Respond("hello there\r\n\r\nbody"), FailedFetch()); }},
    {"StatusCodeNotANumber",
     [] { return Answer(loopback::Respond("HTTP/1.1 2OO OK\r\n\r\nbody"), FailedFetch()); }},
    {"HeaderLinesWithoutCr",
     [] {
         return Answer(loopback::Respond("HTTP/1.1 200 OK\nContent-Type: text/html; "
                                         "charset=GBK\nContent-Length: 2\n\nhi"),
                       PlainBody(u8"GBK"));
     }},
    {"HeaderBlockOfOneMegabyte",
     [] {
         std::string lines;
         for (int i = 0; lines.size() < (1 << 20); ++i)
             lines += "X-Filler-" + std::to_string(i) + ": " + std::string(100, 'f') + "\r\n";
         return Answer(loopback::Respond(loopback::Response("200 OK", kGbkHtml + lines, "x")),
                       FailedFetch());
     }},
    {"TenThousandSetCookieLines",
     [] {
         std::string lines;
         for (int i = 0; i < 10000; ++i)
             lines += "Set-Cookie: c" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
         return Answer(loopback::Respond(loopback::Response("200 OK", kGbkHtml + lines, "x")),
                       PlainBody(u8"GBK"));
     }},
    {"HeaderLineOf100Kilobytes",
     [] {
         return Answer(
             loopback::Respond(loopback::Response(
                 "200 OK", kGbkHtml + "X-Long: " + std::string(100000, 'l') + "\r\n", "x")),
             PlainBody(u8"GBK"));
     }},

    // Bodies whose framing lies: what arrived before the lie is the body.
    {"ChunkSizeNotHex",
     [] {
         return Answer(loopback::Respond(Head(kGbkHtml, "Transfer-Encoding: chunked\r\n") +
                                         "5\r\nfirst\r\nzz\r\nmore\r\n0\r\n\r\n"),
                       PlainBody(u8"GBK"));
     }},
    {"ChunkLongerThanSent",
     [] {
         return Answer(
             loopback::Respond(Head(kGbkHtml, "Transfer-Encoding: chunked\r\n") + "ff\r\nshort"),
             PlainBody(u8"GBK"));
     }},
    {"ChunkedWithoutLastChunk",
     [] {
         return Answer(
             loopback::Respond(Head(kGbkHtml, "Transfer-Encoding: chunked\r\n") + "5\r\nfirst\r\n"),
             PlainBody(u8"GBK"));
     }},
    {"ChunkedWithoutLastChunkThenStall",
     [] {
         return Answer(
             {loopback::Write(Head(kGbkHtml, "Transfer-Encoding: chunked\r\n") + "5\r\nfirst\r\n"),
              loopback::Hang()},
             PlainBody(u8"GBK"), kStalledMs);
     }},
    // The whole gzip member arrived before the connection closed short of the length.
    {"ContentLengthLargerThanTheBody",
     [] {
         const std::string content(50000, 'c');
         const std::string body = GzipForTests(content);
         Trial trial = Answer(
             loopback::Respond(
                 Head(kGzipGbk, "Content-Length: " + std::to_string(body.size() + 50) + "\r\n") +
                 body),
             GzipBody(u8"GBK", 50000, static_cast<qint64>(body.size())));
         return trial;
     }},
    // Only Content-Length bytes are the body: the member is cut before its trailer.
    {"ContentLengthSmallerThanTheBody",
     [] {
         const std::string body = GzipForTests(std::string(50000, 'c'));
         const size_t announced = body.size() - 8;
         return Answer(
             loopback::Respond(
                 Head(kGzipGbk, "Content-Length: " + std::to_string(announced) + "\r\n") + body),
             GzipBody(u8"GBK", 50000, static_cast<qint64>(announced)));
     }},

    // Redirects that lead nowhere.
    {"RedirectLoop",
     [] {
         Trial trial;
         trial.server = Server(loopback::Respond(
             "HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n"));
         trial.url = UrlOf(*trial.server, "/again");
         trial.labels = FailedFetch();
         // The first request and 20 redirects followed.
         trial.requests = 21;
         return trial;
     }},
    {"RedirectToARefusedPort",
     [] {
         Trial trial = Answer(
             loopback::Respond("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" +
                               std::to_string(ClosedPort()) + "/\r\nContent-Length: 0\r\n\r\n"),
             FailedFetch());
         trial.requests = 1;
         return trial;
     }},
    {"RedirectToAnUnresolvableHost",
     [] {
         return Answer(loopback::Respond("HTTP/1.1 302 Found\r\nLocation: "
                                         "http://nowhere.invalid/\r\nContent-Length: 0\r\n\r\n"),
                       FailedFetch(), kConnectTimeoutMs + kMarginMs);
     }},
    {"RedirectToHttpsWithAnUntrustedCertificate",
     [] {
         Trial trial;
         trial.nginx = std::make_unique<Nginx>(NginxOptions{.tls = true});
         trial.nginx->WriteFile("page.html", "secret");
         trial.server = Server(
             loopback::Respond("HTTP/1.1 302 Found\r\nLocation: " + trial.nginx->Url("/page.html") +
                               "\r\nContent-Length: 0\r\n\r\n"));
         trial.url = UrlOf(*trial.server);
         trial.labels = FailedFetch();
         trial.requests = 1;
         return trial;
     }},
    {"RedirectToHttpsThatSpeaksPlainText",
     [] {
         Trial trial;
         trial.target = Server(loopback::Respond(loopback::Response("200 OK", "", "plain")));
         const std::string target =
             "https://127.0.0.1:" + std::to_string(trial.target->Port()) + "/";
         trial.server = Server(loopback::Respond("HTTP/1.1 302 Found\r\nLocation: " + target +
                                                 "\r\nContent-Length: 0\r\n\r\n"));
         trial.url = UrlOf(*trial.server);
         trial.labels = FailedFetch();
         trial.requests = 1;
         // The handshake waits out the connect time-out.
         trial.maxMs = kConnectTimeoutMs + kMarginMs;
         return trial;
     }},

    // A body without end stops at the size limit and comes back empty; the header block
    // that arrived still counts.
    {"EndlessBody",
     [] {
         Trial trial = Answer(
             {loopback::Write(Head(kGbkHtml)), loopback::WriteForever(std::string(65536, 'e'))},
             NoBody(u8"GBK"), kQuickMs);
         trial.settings = CurrentInetCurlSettings();
         trial.settings->bodySizeLimit = 8 << 20;
         return trial;
     }},
    {"EndlessGzipBody",
     [] {
         Trial trial = Answer(
             {loopback::Write(Head(kGzipGbk)), loopback::WriteForever(std::string(65536, 'e'))},
             GzipBody(u8"GBK", 0, 0), kQuickMs);
         trial.settings = CurrentInetCurlSettings();
         trial.settings->bodySizeLimit = 8 << 20;
         return trial;
     }},
    // 10 GiB of zeros in about 10 MB: the count stops at the largest 32-bit length.
    {"GzipBomb",
     [] {
         std::string body = GzipOfZeros(10 * 1024);
         const qint64 length = static_cast<qint64>(body.size());
         Trial trial = Answer(loopback::Respond(loopback::Response("200 OK", kGzipGbk, body)),
                              GzipBody(u8"GBK", 2147483647, length), 30000);
         trial.maxMemoryMb = 200;
         return trial;
     }},

    // Gzip bodies that are broken; what decodes before the break counts.
    {"GzipWithAWrongCrc",
     [] {
         std::string body = GzipForTests(std::string(100000, 'a'));
         body[body.size() - 8] = static_cast<char>(body[body.size() - 8] ^ 0x55);
         // The call that read the trailer loses its output: what is past the last full
         // 8192-byte piece.
         return GzipAnswer(body, 100000 / 8192 * 8192);
     }},
    {"GzipWithoutItsTrailer",
     [] {
         std::string body = GzipForTests(std::string(100000, 'a'));
         body.resize(body.size() - 8);
         return GzipAnswer(body, 100000);
     }},
    {"GzipHeaderOnly",
     [] { return GzipAnswer(GzipForTests(std::string(100000, 'a')).substr(0, 10), 0); }},
    {"TwoGzipMembers",
     [] {
         return GzipAnswer(
             GzipForTests(std::string(3000, 'a')) + GzipForTests(std::string(5000, 'b')), 3000);
     }},
    {"GzipFileNameOfOneMegabyte",
     [] { return GzipAnswer(GzipWithName(std::string(7000, 'a'), 1 << 20), 7000); }},
    {"RandomBytesUnderTheGzipLine", [] { return GzipAnswer(RandomBytes(100000, 7), 0); }},
};

const Case kInputCases[] = {
    {"EmptyBox", [] { return Unfetchable(QString()); }},
    {"OnlyBlanks", [] { return Unfetchable(QStringLiteral("     ")); }},
    {"HundredKilobytesOfText",
     [] {
         QString text;
         for (int i = 0; text.size() < 100000; ++i)
             text += QStringLiteral("words and more words ");
         return Unfetchable(text);
     }},
    // The box holds 32,767 characters, as an edit box does by default: the rest of a long
    // path is never typed.
    {"HundredKilobytePath",
     [] {
         Trial trial = ServedPage({});
         const std::string start = trial.server->Url("/");
         trial.url = UrlOf(*trial.server, "/" + std::string(100000, 'p'));
         trial.requestStart = "GET /" + std::string(32767 - start.size(), 'p') + " HTTP/1.1\r\n";
         return trial;
     }},
    {"SpacesInThePath",
     [] {
         Trial trial = ServedPage({});
         trial.url = UrlOf(*trial.server, "/a b c");
         trial.requestStart = "GET /a%20b%20c HTTP/1.1\r\n";
         return trial;
     }},
    {"SpacesInTheHost", [] { return Unfetchable(QStringLiteral("http://127.0. 0.1/")); }},
    // A line break cannot start a header line of its own.
    {"ControlCharactersInThePath",
     [] {
         Trial trial = ServedPage({});
         trial.url = UrlOf(*trial.server, "/x\t\x01\r\nX-Injected: 1");
         trial.requestStart = "GET /x%09%01%0D%0AX-Injected:%201 HTTP/1.1\r\n";
         return trial;
     }},
    {"GbkCharactersInThePath",
     [] {
         Trial trial = ServedPage({});
         trial.url = UrlOf(*trial.server) + FromUtf8(u8"中文");
         trial.requestStart = "GET /%D6%D0%CE%C4 HTTP/1.1\r\n";
         return trial;
     }},
    // A character that GBK lacks is typed as "?", which begins the query.
    {"NonGbkCharactersInThePath",
     [] {
         Trial trial = ServedPage({});
         trial.url = UrlOf(*trial.server) + FromUtf8(u8"😀");
         trial.requestStart = "GET /? HTTP/1.1\r\n";
         return trial;
     }},
    {"NonGbkCharactersInTheHost", [] { return Unfetchable(FromUtf8(u8"http://😀.invalid/")); }},
    // The host is what comes before the first ":", so a bracketed address reads as "[".
    {"Ipv6Literal",
     [] { return Unfetchable(QStringLiteral("http://[::1]:%1/").arg(ClosedPort())); }},
    // 65536 more than the server's port must not wrap round to it.
    {"PortBeyond65535",
     [] {
         Trial trial = ServedPage({});
         trial.url = QStringLiteral("http://127.0.0.1:%1/").arg(trial.server->Port() + 65536);
         trial.labels = FailedFetch();
         trial.requests = 0;
         return trial;
     }},
    {"FileUrl", [] { return Unfetchable(QStringLiteral("file:///etc/passwd")); }},
    {"FtpUrl", [] { return Unfetchable(QStringLiteral("ftp://127.0.0.1/")); }},
    {"JavascriptUrl", [] { return Unfetchable(QStringLiteral("javascript:alert(1)")); }},
    // Another scheme is refused before anything is sent, even where an "http://" further on
    // would name a host.
    {"FileUrlHidingAnHttpUrl",
     [] {
         Trial trial = ServedPage({});
         trial.url = QStringLiteral("file:///") + UrlOf(*trial.server);
         trial.labels = FailedFetch();
         trial.requests = 0;
         return trial;
     }},
    {"FtpUrlHidingAnHttpUrl",
     [] {
         Trial trial = ServedPage({});
         trial.url = QStringLiteral("ftp://x/") + UrlOf(*trial.server);
         trial.labels = FailedFetch();
         trial.requests = 0;
         return trial;
     }},
    {"JavascriptUrlHidingAnHttpUrl",
     [] {
         Trial trial = ServedPage({});
         trial.url = QStringLiteral("javascript:") + UrlOf(*trial.server);
         trial.labels = FailedFetch();
         trial.requests = 0;
         return trial;
     }},
    // Without a scheme, a host with its port is still an address.
    {"HostAndPortWithoutScheme",
     [] {
         Trial trial = ServedPage({});
         trial.url = QStringLiteral("localhost:%1/page").arg(trial.server->Port());
         trial.requestStart = "GET /page HTTP/1.1\r\n";
         return trial;
     }},
    {"SchemeInCapitals",
     [] {
         Trial trial = ServedPage({});
         trial.url = QStringLiteral("HTTP://127.0.0.1:%1/Up").arg(trial.server->Port());
         trial.requestStart = "GET /Up HTTP/1.1\r\n";
         return trial;
     }},
};

// Reads a figure in kB from /proc/self/status.
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// Starts the peak resident size afresh at the present size (Linux: clear_refs 5).
bool ResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

} // namespace

class HostileServerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        InetCurlSettings settings = CurrentInetCurlSettings();
        settings.noDataTimeoutMs = kNoDataTimeoutMs;
        settings.connectTimeoutMs = kConnectTimeoutMs;
        m_settings = std::make_unique<ScopedInetCurlSettings>(settings);
    }
    void cleanupTestCase() { m_settings.reset(); }
    void init() { m_window = std::make_unique<MainWindow>(); }
    void cleanup() {
        QTRY_VERIFY_WITH_TIMEOUT(CheckButton(*m_window)->isEnabled(), 120000);
        m_window.reset();
    }

    void aHostileServerCostsBoundedTimeAndMemory_data() { AddRows(kServerCases); }
    void aHostileServerCostsBoundedTimeAndMemory() { RunRow(kServerCases); }

    void oddInputFetchesOnlyHttp_data() { AddRows(kInputCases); }
    void oddInputFetchesOnlyHttp() { RunRow(kInputCases); }

private:
    template <size_t N> void AddRows(const Case (&cases)[N]) {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < N; ++i)
            QTest::newRow(cases[i].name) << static_cast<int>(i);
    }

    template <size_t N> void RunRow(const Case (&cases)[N]) {
        QFETCH(int, index);
        Trial trial = cases[index].make();
        std::optional<ScopedInetCurlSettings> settings;
        if (trial.settings)
            settings.emplace(*trial.settings);

        const long residentBefore = StatusKb("VmRSS");
        QVERIFY(ResetPeakMemory());
        QElapsedTimer watch;
        qint64 longestPauseMs = 0;
        QElapsedTimer sinceTick;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { longestPauseMs = std::max(longestPauseMs, sinceTick.restart()); });
        tick.start(20);
        sinceTick.start();
        watch.start();

        UrlBox(*m_window)->setText(trial.url);
        QTest::mouseClick(CheckButton(*m_window), Qt::LeftButton);
        QVERIFY(!CheckButton(*m_window)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(CheckButton(*m_window)->isEnabled(), 120000);
        const qint64 elapsedMs = watch.elapsed();
        tick.stop();
        const long peakGrowthMb = (StatusKb("VmHWM") - residentBefore) / 1024;
        qInfo("%s: %lld ms, peak memory +%ld MB", QTest::currentDataTag(), elapsedMs, peakGrowthMb);

        QCOMPARE(LabelText(*m_window, u8"标签_编码方式"), trial.labels.encoding);
        QCOMPARE(LabelText(*m_window, u8"标签_是否压缩"), trial.labels.compressed);
        QCOMPARE(LabelText(*m_window, u8"标签_压缩类型"), trial.labels.type);
        QCOMPARE(LabelText(*m_window, u8"标签_原始大小"), trial.labels.originalSize);
        QCOMPARE(LabelText(*m_window, u8"标签_压缩大小"), trial.labels.compressedSize);
        QCOMPARE(LabelText(*m_window, u8"标签_压缩率"), trial.labels.ratio);
        QCOMPARE(CheckButton(*m_window)->text(), FromUtf8(u8"检测"));
        QVERIFY2(
            elapsedMs <= trial.maxMs,
            qPrintable(QStringLiteral("took %1 ms, allowed %2").arg(elapsedMs).arg(trial.maxMs)));
        QVERIFY2(peakGrowthMb <= trial.maxMemoryMb,
                 qPrintable(QStringLiteral("peak grew by %1 MB, allowed %2")
                                .arg(peakGrowthMb)
                                .arg(trial.maxMemoryMb)));
        QVERIFY2(
            longestPauseMs < 2000,
            qPrintable(QStringLiteral("the window stood still for %1 ms").arg(longestPauseMs)));
        if (trial.server)
            CheckRequests(trial, trial.server->Requests());
    }

    void CheckRequests(const Trial& trial, const std::vector<std::string>& requests) {
        if (trial.requests >= 0)
            QCOMPARE(static_cast<int>(requests.size()), trial.requests);
        if (!trial.requestStart.empty()) {
            QVERIFY(!requests.empty());
            QCOMPARE(requests[0].substr(0, trial.requestStart.size()), trial.requestStart);
        }
    }

    std::unique_ptr<ScopedInetCurlSettings> m_settings;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(HostileServerTest)
#include "HostileServerTest.moc"
