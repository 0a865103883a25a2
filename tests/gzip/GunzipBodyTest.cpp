// GunzipBody and GunzippedLength through the bound gzip.dll, written beside this test
// program by EnsureGzipLibrary.
#include "gzip/GunzipBody.h"
#include "GzipFixtures.h"
#include "SameBytesAssertion.h"
#include "gzip/EnsureGzipLibrary.h"
#include "gzip/GzipLibraryImage.h"
#include "values/Files.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>
#include <zlib.h>

namespace {

Bytes AsBytes(std::string_view bytes) {
    return Bytes(bytes);
}

std::string AsString(const Bytes& bytes) {
    return std::string(bytes.View());
}

const std::string& Content() {
    static const std::string content = HtmlLikeText(200'000, 11);
    return content;
}

// Empty stored blocks consume input and yield nothing (RFC 1951, 3.2.4).
std::string EmptyStoredBlocksThen(std::string_view content, int count) {
    std::string body = BareHeaderThen("");
    for (int i = 0; i < count; ++i)
        body.append("\x00\x00\x00\xFF\xFF", 5);
    return body + RawDeflate(content) + GzipTrailerFor(content);
}

class GzipDecoding : public testing::Test {
protected:
    static void SetUpTestSuite() { EnsureGzipLibrary(); }
};

struct Case {
    const char* name;
    std::string body;
    std::string expected;
};

std::vector<Case> Cases() {
    GzipHeaderFields longName{"", false, std::string(20'000, 'n'), "", false};
    GzipHeaderFields longExtra{std::string(17'000, 'x'), false, "", "", false};
    GzipHeaderFields everything{"ab", false, "index.html", "comment", true};
    return {
        {"EmptyBody", "", ""},
        {"PlainHtml", "<html><body>sent without compression</body></html>", ""},
        {"EmptyMember", GzipMember(""), ""},
        {"ShortContent", GzipMember("hello, world"), "hello, world"},
        {"ContentLongerThanASlice", GzipMember(Content()), Content()},
        {"IncompressibleContent", GzipMember(RandomBytes(50'000, 5)), RandomBytes(50'000, 5)},
        {"BytesAfterTheTrailer", GzipMember(Content()) + "trailing junk", Content()},
        {"TwoMembers", GzipMember("first") + GzipMember("second"), "first"},
        {"EveryHeaderField", GzipMember(Content(), everything), Content()},
        {"NameLongerThanASlice", GzipMember(Content(), longName), Content()},
        {"ExtraLongerThanTwoSlices", GzipMember(Content(), longExtra), Content()},
        {"SliceLongRunOfEmptyBlocks", EmptyStoredBlocksThen(Content(), 5000), Content()},
        {"BareDeflateStream", RawDeflate(Content()), ""},
        {"ReservedBlockType", BareHeaderThen("\x07"), ""},
    };
}

TEST_F(GzipDecoding, TheLibraryBesideTheProgramIsTheCarriedImage) {
    std::string beside = FileContent((std::string(RunDirectory().View()) + "/gzip.dll").c_str());
    EXPECT_TRUE(Same(beside, GzipLibraryImage().View()));
}

TEST_F(GzipDecoding, GunzipBodyGivesWhatTheLibraryProduced) {
    for (const Case& row : Cases()) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(Same(AsString(GunzipBody(AsBytes(row.body))), row.expected));
    }
}

TEST_F(GzipDecoding, GunzippedLengthCountsWhatGunzipBodyGives) {
    for (const Case& row : Cases()) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GunzippedLength(AsBytes(row.body)), static_cast<int32_t>(row.expected.size()));
    }
}

TEST_F(GzipDecoding, BodyCutInsideTheDeflateDataGivesAProperPrefix) {
    std::string member = GzipMember(Content());
    for (size_t cut : {member.size() / 4, member.size() / 2, member.size() - 40}) {
        SCOPED_TRACE(cut);
        Bytes body = AsBytes(std::string_view(member).substr(0, cut));
        std::string result = AsString(GunzipBody(body));
        EXPECT_FALSE(result.empty());
        EXPECT_LT(result.size(), Content().size());
        EXPECT_TRUE(Same(result, Content().substr(0, result.size())));
        EXPECT_EQ(GunzippedLength(body), static_cast<int32_t>(result.size()));
    }
}

TEST_F(GzipDecoding, TrailerMismatchLosesOnlyTheLastCallsOutput) {
    std::string member = GzipMember(Content());
    for (size_t offsetFromEnd : {size_t{8}, size_t{2}}) {
        SCOPED_TRACE(offsetFromEnd);
        Bytes body = AsBytes(WithBytesFlippedFromEnd(member, offsetFromEnd, 1));
        std::string result = AsString(GunzipBody(body));
        EXPECT_LT(result.size(), Content().size());
        EXPECT_GE(result.size() + 8192, Content().size());
        EXPECT_TRUE(Same(result, Content().substr(0, result.size())));
        EXPECT_EQ(GunzippedLength(body), static_cast<int32_t>(result.size()));
    }
}

TEST_F(GzipDecoding, ManyThreadsBindingAtOnceAllDecode) {
    // Each test runs in a process of its own, so this is the first use of the library.
    Bytes body = AsBytes(GzipMember(Content()));
    std::vector<std::string> results(8);
    std::vector<std::thread> threads;
    for (std::string& result : results)
        threads.emplace_back([&body, &result] { result = AsString(GunzipBody(body)); });
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& result : results)
        EXPECT_TRUE(Same(result, Content()));
}

// A gzip member whose content is 2,167,200,001 zero bytes: one fixed-code block holding a
// literal 0 and then 8,400,000 copies of (length 258, distance 1) (RFC 1951, 3.2.6). Made
// by hand because deflating 2 GB takes far longer than decoding it.
std::string MemberOfMoreThanTwoGigabytesOfZeros() {
    std::string body = BareHeaderThen("");
    uint64_t bits = 0;
    int count = 0;
    auto put = [&](uint32_t value, int length, bool huffman) {
        for (int i = 0; i < length; ++i) {
            uint32_t bit = huffman ? (value >> (length - 1 - i)) & 1 : (value >> i) & 1;
            bits |= static_cast<uint64_t>(bit) << count;
            if (++count == 8) {
                body.push_back(static_cast<char>(bits));
                bits = 0;
                count = 0;
            }
        }
    };
    put(1, 1, false);   // final block
    put(1, 2, false);   // fixed codes
    put(0x30, 8, true); // literal 0
    for (int i = 0; i < 8'400'000; ++i) {
        put(0xC5, 8, true); // length code 285: 258
        put(0, 5, true);    // distance code 0: 1
    }
    put(0, 7, true); // end of block
    if (count > 0)
        body.push_back(static_cast<char>(bits));
    return body + std::string(8, '\0'); // never reached: the count stops first
}

// Past 2,147,483,647 decoded bytes the count stops there instead of wrapping.
TEST_F(GzipDecoding, GunzippedLengthStopsAtTheLargestLength) {
    EXPECT_EQ(GunzippedLength(AsBytes(MemberOfMoreThanTwoGigabytesOfZeros())), 2'147'483'647);
}

} // namespace
