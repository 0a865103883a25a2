// The contract of gzip.dll, call by call, against members made with zlib and bodies edited
// byte by byte.
#include "gzip/library/Decompression.h"
#include "GzipFixtures.h"
#include "SameBytesAssertion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

constexpr int32_t kGzip = 3;
constexpr int32_t kDeflate = 0;
constexpr unsigned char kGuard = 0xA5;

struct ContextDestroyer {
    void operator()(DecompressionContext* context) const { DestroyDecompression(context); }
};
using Context = std::unique_ptr<DecompressionContext, ContextDestroyer>;

Context MakeContext(int32_t flags) {
    DecompressionContext* context = nullptr;
    EXPECT_EQ(CreateDecompression(&context, flags), S_OK);
    EXPECT_NE(context, nullptr);
    return Context(context);
}

struct Call {
    int32_t given;
    int32_t status;
    int32_t consumed;
    int32_t produced;
};

struct Trace {
    std::string output;
    std::vector<Call> calls;
    size_t consumedInAll = 0;
};

// One Decompress call with an output area of `capacity` followed by guard bytes, which
// must come back untouched. The counts start out as garbage so that "set on every return"
// is checked as well.
Call CallOnce(DecompressionContext* context, std::string_view input, int32_t capacity,
              std::string* output) {
    std::vector<unsigned char> area(static_cast<size_t>(capacity) + 16, kGuard);
    Call call{static_cast<int32_t>(input.size()), 0, -7, -7};
    call.status =
        Decompress(context, reinterpret_cast<const uint8_t*>(input.data()), call.given,
                   capacity ? area.data() : nullptr, capacity, &call.consumed, &call.produced);
    EXPECT_TRUE(std::all_of(area.begin() + capacity, area.end(), [](unsigned char byte) {
        return byte == kGuard;
    })) << "written past the capacity";
    EXPECT_GE(call.consumed, 0);
    EXPECT_LE(call.consumed, call.given);
    EXPECT_GE(call.produced, 0);
    EXPECT_LE(call.produced, capacity);
    if (call.status == S_OK)
        EXPECT_TRUE(call.consumed > 0 || call.produced > 0) << "S_OK without progress";
    else
        EXPECT_TRUE(call.consumed == 0 && call.produced == 0) << "counts set on failure";
    if (output)
        output->append(reinterpret_cast<const char*>(area.data()),
                       static_cast<size_t>(call.produced));
    return call;
}

// Feeds the body as the program does: slices of at most `slice` bytes, each starting at
// the first byte not yet consumed, until a status other than S_OK.
Trace Drive(DecompressionContext* context, std::string_view body, size_t slice, int32_t capacity) {
    Trace run;
    for (int guard = 0; guard < 5'000'000; ++guard) {
        std::string_view input = body.substr(std::min(run.consumedInAll, body.size()), slice);
        Call call = CallOnce(context, input, capacity, &run.output);
        run.calls.push_back(call);
        run.consumedInAll += static_cast<size_t>(call.consumed);
        if (call.status != S_OK)
            return run;
    }
    ADD_FAILURE() << "the calls never stopped";
    return run;
}

Trace Drive(std::string_view body, size_t slice = 8192, int32_t capacity = 8192,
            int32_t flags = kGzip) {
    Context context = MakeContext(flags);
    return Drive(context.get(), body, slice, capacity);
}

// Bits of a hand-made deflate stream, least significant bit first (RFC 1951, 3.1.1).
class DeflateBits {
public:
    DeflateBits& Bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            Bit((value >> i) & 1);
        return *this;
    }
    // Huffman codes go most significant bit first.
    DeflateBits& Code(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i)
            Bit((code >> i) & 1);
        return *this;
    }
    DeflateBits& AlignedBytes(std::string_view bytes) {
        m_used = 0;
        m_bytes.append(bytes);
        return *this;
    }
    std::string Bytes() const { return m_bytes; }

private:
    void Bit(uint32_t bit) {
        if (m_used == 0)
            m_bytes.push_back('\0');
        m_bytes.back() = static_cast<char>(m_bytes.back() | bit << m_used);
        m_used = (m_used + 1) % 8;
    }
    std::string m_bytes;
    int m_used = 0;
};

// Fixed Huffman codes (RFC 1951, 3.2.6).
DeflateBits& FixedLiteral(DeflateBits& bits, unsigned char literal) {
    return literal < 144 ? bits.Code(0x30 + literal, 8) : bits.Code(0x190 + literal - 144, 9);
}

std::string FixedBlockWithBadCode() {
    DeflateBits bits;
    bits.Bits(1, 1).Bits(1, 2);
    FixedLiteral(bits, 'a');
    bits.Code(0xC0 + (286 - 280), 8); // 286 is not a valid literal/length
    return bits.Bytes();
}

std::string FixedBlockReachingBeforeTheStart() {
    DeflateBits bits;
    bits.Bits(1, 1).Bits(1, 2);
    FixedLiteral(bits, 'a');
    bits.Code(1, 7); // length 3
    bits.Code(5, 5); // distance code 5: distances 7 and 8
    bits.Bits(0, 1); // distance 7, with one byte of output behind it
    bits.Code(0, 7); // end of block
    return bits.Bytes();
}

std::string StoredBlockWithBadLength() {
    return DeflateBits()
        .Bits(1, 1)
        .Bits(0, 2)
        .AlignedBytes(std::string("\x05\x00\x00\x00", 4))
        .Bytes();
}

std::string ReservedBlockType() {
    return DeflateBits().Bits(1, 1).Bits(3, 2).Bytes();
}

const std::string& LongContent() {
    static const std::string content = HtmlLikeText(100'000, 7);
    return content;
}

// ---------------------------------------------------------------------------------------
// Well-formed members, cut into pieces in every way, decode to their content.

struct Piecing {
    const char* name;
    size_t slice;
    int32_t capacity;
};

void PrintTo(const Piecing& row, std::ostream* out) {
    *out << row.name;
}

const Piecing kPiecings[] = {
    {"ProgramSlices", 8192, 8192}, {"OneByteIn", 1, 8192}, {"OneByteOut", 8192, 1},
    {"OneByteEach", 1, 1},         {"OddSizes", 7, 13},    {"WholeBody", 1 << 20, 1 << 20},
    {"NoRoomToSpare", 8192, 258},
};

struct WellFormed {
    const char* name;
    std::string content;
    std::string member;
};

std::vector<WellFormed> WellFormedMembers() {
    std::string random = RandomBytes(20'000, 3);
    GzipHeaderFields all{"ex", false, "page.html", "a comment", true};
    GzipHeaderFields longName{"", false, std::string(10'000, 'n'), "", false};
    return {
        {"EmptyContent", "", GzipMember("")},
        {"OneByte", "x", GzipMember("x")},
        {"LongText", LongContent(), GzipMember(LongContent())},
        {"Incompressible", random, GzipMember(random)},
        {"StoredBlocks", LongContent(), GzipMember(LongContent(), 0)},
        {"FixedCodes", LongContent(), GzipMember(LongContent(), 6, Z_FIXED)},
        {"EveryHeaderField", LongContent(), GzipMember(LongContent(), all)},
        {"NameLongerThanASlice", "short", GzipMember("short", longName)},
    };
}

class WellFormedMember : public testing::TestWithParam<Piecing> {};

TEST_P(WellFormedMember, DecodesToItsContentAndEndsWithSFalse) {
    for (const WellFormed& row : WellFormedMembers()) {
        SCOPED_TRACE(row.name);
        Trace run = Drive(row.member, GetParam().slice, GetParam().capacity);
        EXPECT_TRUE(Same(run.output, row.content));
        ASSERT_GE(run.calls.size(), 2u);
        EXPECT_EQ(run.calls.back().status, S_FALSE);
        EXPECT_EQ(run.calls[run.calls.size() - 2].status, S_OK);
        EXPECT_EQ(run.consumedInAll, row.member.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Piecings, WellFormedMember, testing::ValuesIn(kPiecings),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Malformed bodies: the first call that meets the fault fails with both counts 0.

struct Malformed {
    const char* name;
    std::string body;
};

void PrintTo(const Malformed& row, std::ostream* out) {
    *out << row.name;
}

const Malformed kMalformed[] = {
    {"PlainHtml", "<html><body>not compressed</body></html>"},
    {"SecondMagicByteWrong", std::string("\x1F\x8C\x08\x00\x00\x00\x00\x00\x00\x03", 10)},
    {"FirstMagicByteWrong", std::string("\x1E\x8B\x08\x00\x00\x00\x00\x00\x00\x03", 10)},
    {"MethodNotDeflate", std::string("\x1F\x8B\x07\x00\x00\x00\x00\x00\x00\x03", 10)},
    {"ReservedBlockType", BareHeaderThen(ReservedBlockType())},
    {"StoredLengthMismatch", BareHeaderThen(StoredBlockWithBadLength())},
    {"UndecodableCode", BareHeaderThen(FixedBlockWithBadCode())},
    {"DistanceBeforeTheStart", BareHeaderThen(FixedBlockReachingBeforeTheStart())},
    {"WrongCrcInOneCall", WithBytesFlippedFromEnd(GzipMember("hello"), 8, 1)},
    {"WrongLengthInOneCall", WithBytesFlippedFromEnd(GzipMember("hello"), 1, 1)},
};

class MalformedBody : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedBody, FailsOnTheFirstCallWithBothCountsZero) {
    Trace run = Drive(GetParam().body);
    ASSERT_EQ(run.calls.size(), 1u);
    EXPECT_EQ(run.calls[0].status, E_FAIL);
    EXPECT_EQ(run.calls[0].consumed, 0);
    EXPECT_EQ(run.calls[0].produced, 0);
    EXPECT_TRUE(Same(run.output, ""));
}

TEST_P(MalformedBody, KeepsFailingOnceFailed) {
    Context context = MakeContext(kGzip);
    Drive(context.get(), GetParam().body, 8192, 8192);
    std::string good = GzipMember("fine");
    EXPECT_EQ(CallOnce(context.get(), good, 8192, nullptr).status, E_FAIL);
    EXPECT_EQ(CallOnce(context.get(), "", 8192, nullptr).status, E_FAIL);
}

TEST_P(MalformedBody, FailsAlsoWhenFedOneByteAtATime) {
    Trace run = Drive(GetParam().body, 1, 8192);
    EXPECT_EQ(run.calls.back().status, E_FAIL);
    EXPECT_EQ(run.calls.back().given, 1) << "the fault is met in a byte, not at the end";
}

INSTANTIATE_TEST_SUITE_P(Bodies, MalformedBody, testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// The edge cases of the contract, one by one.

TEST(Decompress, EmptyBodyFailsAtOnceBecauseNoProgressIsPossible) {
    Trace run = Drive("");
    ASSERT_EQ(run.calls.size(), 1u);
    EXPECT_EQ(run.calls[0].given, 0);
    EXPECT_EQ(run.calls[0].status, E_FAIL);
}

TEST(Decompress, EmptyMemberTakesTwentyBytesThenReportsTheEnd) {
    std::string member = GzipMember("");
    ASSERT_EQ(member.size(), 20u);
    Trace run = Drive(member);
    ASSERT_EQ(run.calls.size(), 2u);
    EXPECT_EQ(run.calls[0].status, S_OK);
    EXPECT_EQ(run.calls[0].consumed, 20);
    EXPECT_EQ(run.calls[0].produced, 0);
    EXPECT_EQ(run.calls[1].status, S_FALSE);
    EXPECT_TRUE(Same(run.output, ""));
}

TEST(Decompress, ContentLongerThanTheOutputAreaComesInFullPiecesJoinedInOrder) {
    Trace run = Drive(GzipMember(LongContent()));
    EXPECT_TRUE(Same(run.output, LongContent()));
    size_t fullPieces = 0;
    for (const Call& call : run.calls)
        fullPieces += call.produced == 8192;
    EXPECT_EQ(fullPieces, LongContent().size() / 8192);
}

TEST(Decompress, NeverReadsBytesAfterTheTrailer) {
    struct Case {
        const char* name;
        std::string after;
    } cases[] = {
        {"Garbage", "garbage after the member"},
        {"SecondMember", GzipMember("second member")},
        {"ZeroPadding", std::string(4096, '\0')},
    };
    std::string first = GzipMember(LongContent());
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        for (size_t slice : {size_t{1}, size_t{8192}, size_t{1} << 20}) {
            Trace run = Drive(first + row.after, slice, 8192);
            EXPECT_TRUE(Same(run.output, LongContent()));
            EXPECT_EQ(run.consumedInAll, first.size());
            EXPECT_EQ(run.calls.back().status, S_FALSE);
        }
    }
}

TEST(Decompress, EndedStreamTakesNoMoreInput) {
    Context context = MakeContext(kGzip);
    std::string member = GzipMember("abc");
    Trace run = Drive(context.get(), member, 8192, 8192);
    ASSERT_EQ(run.calls.back().status, S_FALSE);
    for (int i = 0; i < 3; ++i) {
        Call call = CallOnce(context.get(), member, 8192, nullptr);
        EXPECT_EQ(call.status, S_FALSE);
        EXPECT_EQ(call.consumed, 0);
    }
}

TEST(Decompress, TheCallThatReadsTheTrailerStillReportsProgress) {
    std::string member = GzipMember(LongContent());
    Context context = MakeContext(kGzip);
    std::string output;
    std::string_view rest = member;
    // Everything but the trailer first, until no more comes out.
    for (;;) {
        Call call = CallOnce(context.get(), rest.substr(0, rest.size() - 8), 8192, &output);
        if (call.status != S_OK)
            break;
        rest.remove_prefix(static_cast<size_t>(call.consumed));
    }
    ASSERT_EQ(rest.size(), 8u);
    ASSERT_TRUE(Same(output, LongContent()));
    Call trailer = CallOnce(context.get(), rest, 8192, nullptr);
    EXPECT_EQ(trailer.status, S_OK);
    EXPECT_EQ(trailer.consumed, 8);
    EXPECT_EQ(trailer.produced, 0);
    EXPECT_EQ(CallOnce(context.get(), "", 8192, nullptr).status, S_FALSE);
}

TEST(Decompress, GivenNoInputInMidStreamFailsWithoutLosingItsPlace) {
    std::string member = GzipMember(LongContent());
    Context context = MakeContext(kGzip);
    std::string output;
    size_t half = member.size() / 2;
    size_t taken = 0;
    while (taken < half) {
        Call call = CallOnce(context.get(), std::string_view(member).substr(taken, half - taken),
                             8192, &output);
        ASSERT_EQ(call.status, S_OK);
        taken += static_cast<size_t>(call.consumed);
    }
    // Drain what the input given so far still yields, then starve the context.
    while (CallOnce(context.get(), "", 8192, &output).status == S_OK) {
    }
    Call starved = CallOnce(context.get(), "", 8192, nullptr);
    EXPECT_EQ(starved.status, E_FAIL);
    Trace rest = Drive(context.get(), std::string_view(member).substr(taken), 8192, 8192);
    EXPECT_TRUE(Same(output + rest.output, LongContent()));
    EXPECT_EQ(rest.calls.back().status, S_FALSE);
}

TEST(Decompress, BodyCutInsideTheDeflateDataYieldsAPrefixThenFails) {
    std::string member = GzipMember(LongContent());
    for (size_t cut : {size_t{300}, member.size() / 3, member.size() * 2 / 3}) {
        SCOPED_TRACE(cut);
        Trace run = Drive(std::string_view(member).substr(0, cut));
        EXPECT_FALSE(run.output.empty());
        EXPECT_LT(run.output.size(), LongContent().size());
        EXPECT_TRUE(Same(run.output, LongContent().substr(0, run.output.size())));
        EXPECT_EQ(run.calls.back().status, E_FAIL);
        EXPECT_EQ(run.calls.back().given, 0);
    }
}

TEST(Decompress, BodyCutInsideHeaderOrTrailerFailsOnceStarved) {
    std::string member = GzipMember("some content");
    for (size_t cut : {size_t{1}, size_t{3}, size_t{9}, member.size() - 1, member.size() - 5}) {
        SCOPED_TRACE(cut);
        Trace run = Drive(std::string_view(member).substr(0, cut));
        EXPECT_EQ(run.calls.back().status, E_FAIL);
        EXPECT_EQ(run.calls.back().given, 0);
        EXPECT_EQ(run.consumedInAll, cut);
    }
}

TEST(Decompress, TrailerMismatchLosesTheOutputOfTheCallThatReadIt) {
    struct Case {
        const char* name;
        size_t offsetFromEnd;
    } cases[] = {{"Crc", 8}, {"CrcLastByte", 5}, {"Length", 4}, {"LengthHighByte", 1}};
    std::string member = GzipMember(LongContent());
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        Trace run = Drive(WithBytesFlippedFromEnd(member, row.offsetFromEnd, 1));
        EXPECT_EQ(run.calls.back().status, E_FAIL);
        EXPECT_EQ(run.calls.back().given > 0, true);
        EXPECT_LT(run.output.size(), LongContent().size());
        EXPECT_GE(run.output.size(), LongContent().size() - 8192);
        EXPECT_TRUE(Same(run.output, LongContent().substr(0, run.output.size())));
    }
}

TEST(Decompress, TrailerMismatchWithOnlyTheTrailerLeftLosesNothingElse) {
    std::string member = WithBytesFlippedFromEnd(GzipMember(LongContent()), 6, 1);
    Context context = MakeContext(kGzip);
    Trace body =
        Drive(context.get(), std::string_view(member).substr(0, member.size() - 8), 8192, 8192);
    EXPECT_TRUE(Same(body.output, LongContent()));
    Call trailer =
        CallOnce(context.get(), std::string_view(member).substr(member.size() - 8), 8192, nullptr);
    EXPECT_EQ(trailer.status, E_FAIL);
    EXPECT_EQ(trailer.consumed, 0);
}

TEST(Decompress, OptionalHeaderFieldsAreSkippedInAnyPieces) {
    struct Case {
        const char* name;
        GzipHeaderFields fields;
    } cases[] = {
        {"Extra", {"\x01\x02\x00\x03", false, "", "", false}},
        {"EmptyExtra", {"", true, "", "", false}},
        {"ExtraLongerThanASlice", {std::string(20'000, 'e'), false, "", "", false}},
        {"Name", {"", false, "index.html", "", false}},
        {"NameLongerThanASlice", {"", false, std::string(9000, 'n'), "", false}},
        {"Comment", {"", false, "", "served gzip-encoded", false}},
        {"CommentLongerThanASlice", {"", false, "", std::string(30'000, 'c'), false}},
        {"HeaderCrc", {"", false, "", "", true}},
        {"Everything", {"xy", false, "n.txt", "comment", true}},
    };
    for (const Case& row : cases) {
        for (size_t slice : {size_t{1}, size_t{5}, size_t{8192}}) {
            SCOPED_TRACE(std::string(row.name) + " slice " + std::to_string(slice));
            std::string member = GzipMember("content after the header", row.fields);
            ASSERT_GT(member.size(), HeaderLength(row.fields));
            Trace run = Drive(member, slice, 8192);
            EXPECT_TRUE(Same(run.output, "content after the header"));
            EXPECT_EQ(run.calls.back().status, S_FALSE);
        }
    }
}

TEST(Decompress, HeaderCrcIsNotVerified) {
    GzipHeaderFields fields{"", false, "name", "", true};
    std::string member = GzipMember("payload", fields);
    size_t crcAt = HeaderLength(fields) - 2;
    member[crcAt] = static_cast<char>(member[crcAt] ^ 0x5A);
    member[crcAt + 1] = static_cast<char>(member[crcAt + 1] ^ 0x5A);
    Trace run = Drive(member);
    EXPECT_TRUE(Same(run.output, "payload"));
    EXPECT_EQ(run.calls.back().status, S_FALSE);
}

TEST(Decompress, ReservedFlagBitsAreIgnored) {
    std::string member = GzipMember("payload");
    member[3] = static_cast<char>(member[3] | 0xE0);
    EXPECT_EQ(Drive(member).output, "payload");
}

TEST(Decompress, FlagsBitZeroClearReadsABareDeflateStream) {
    std::string raw = RawDeflate(LongContent());
    for (int32_t flags : {0, 2, 0x7FFFFFFE}) {
        SCOPED_TRACE(flags);
        Trace run = Drive(raw + "trailing", 8192, 8192, flags);
        EXPECT_TRUE(Same(run.output, LongContent()));
        EXPECT_EQ(run.consumedInAll, raw.size());
        EXPECT_EQ(run.calls.back().status, S_FALSE);
    }
}

TEST(Decompress, FlagsBitZeroSetReadsAGzipMemberWhateverTheOtherBits) {
    for (int32_t flags : {1, 3, -1}) {
        SCOPED_TRACE(flags);
        EXPECT_EQ(Drive(GzipMember("abc"), 8192, 8192, flags).output, "abc");
    }
}

TEST(Decompress, GzipMemberReadAsBareDeflateIsMalformed) {
    Trace run = Drive(GzipMember("abc"), 8192, 8192, kDeflate);
    EXPECT_EQ(run.calls.back().status, E_FAIL);
    EXPECT_TRUE(Same(run.output, ""));
}

TEST(Decompress, BareDeflateReadAsGzipIsMalformed) {
    Trace run = Drive(RawDeflate("abc"), 8192, 8192, kGzip);
    EXPECT_EQ(run.calls.back().status, E_FAIL);
    EXPECT_EQ(run.calls.back().given, static_cast<int32_t>(RawDeflate("abc").size()));
}

TEST(Decompress, UndecodableDataAfterGoodOutputLosesThatCallsOutput) {
    // One literal decodes before the bad code; the call fails as a whole.
    Trace run = Drive(BareHeaderThen(FixedBlockWithBadCode()), 8192, 8192);
    EXPECT_TRUE(Same(run.output, ""));
    EXPECT_EQ(run.calls.back().status, E_FAIL);
}

TEST(Decompress, BadArgumentsFailWithoutTouchingTheStream) {
    Context context = MakeContext(kGzip);
    std::string member = GzipMember("abc");
    uint8_t out[16];
    int32_t consumed = -7;
    int32_t produced = -7;
    const auto* in = reinterpret_cast<const uint8_t*>(member.data());
    int32_t length = static_cast<int32_t>(member.size());
    struct Case {
        const char* name;
        int32_t status;
    } cases[] = {
        {"NullInputWithLength",
         Decompress(context.get(), nullptr, 5, out, 16, &consumed, &produced)},
        {"NullOutputWithCapacity",
         Decompress(context.get(), in, length, nullptr, 16, &consumed, &produced)},
        {"NegativeInputLength", Decompress(context.get(), in, -1, out, 16, &consumed, &produced)},
        {"NegativeCapacity", Decompress(context.get(), in, length, out, -1, &consumed, &produced)},
        {"NullConsumed", Decompress(context.get(), in, length, out, 16, nullptr, &produced)},
        {"NullProduced", Decompress(context.get(), in, length, out, 16, &consumed, nullptr)},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.status, E_FAIL);
    }
    EXPECT_EQ(consumed, 0);
    EXPECT_EQ(produced, 0);
    EXPECT_EQ(Drive(context.get(), member, 8192, 8192).output, "abc");
}

TEST(Decompress, NullContextFailsEveryCall) {
    int32_t consumed = -7;
    int32_t produced = -7;
    uint8_t in[4] = {0x1F, 0x8B, 8, 0};
    uint8_t out[4];
    EXPECT_EQ(Decompress(nullptr, in, 4, out, 4, &consumed, &produced), E_FAIL);
    EXPECT_EQ(consumed, 0);
    EXPECT_EQ(produced, 0);
    EXPECT_EQ(DestroyDecompression(nullptr), E_FAIL);
    EXPECT_EQ(ResetDecompression(nullptr), E_FAIL);
    EXPECT_EQ(CreateDecompression(nullptr, kGzip), E_FAIL);
}

TEST(Decompress, StatusValuesHaveTheirThirtyTwoBitPatterns) {
    EXPECT_EQ(static_cast<uint32_t>(S_OK), 0u);
    EXPECT_EQ(static_cast<uint32_t>(S_FALSE), 1u);
    EXPECT_EQ(static_cast<uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(static_cast<uint32_t>(E_OUTOFMEMORY), 0x8007000Eu);
}

TEST(InitDecompression, SucceedsEveryTime) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(InitDecompression(), S_OK);
        EXPECT_EQ(DeInitDecompression(), S_OK);
    }
}

TEST(ResetDecompression, StartsANewStreamAfterAnEndOrAFailure) {
    Context context = MakeContext(kGzip);
    EXPECT_EQ(Drive(context.get(), GzipMember("first"), 8192, 8192).output, "first");
    ASSERT_EQ(ResetDecompression(context.get()), S_OK);
    EXPECT_EQ(Drive(context.get(), GzipMember("second"), 8192, 8192).output, "second");
    Drive(context.get(), "not gzip", 8192, 8192);
    ASSERT_EQ(ResetDecompression(context.get()), S_OK);
    Trace third = Drive(context.get(), GzipMember("third"), 8192, 8192);
    EXPECT_TRUE(Same(third.output, "third"));
    EXPECT_EQ(third.calls.back().status, S_FALSE);
}

TEST(ResetDecompression, KeepsTheKindOfStream) {
    Context context = MakeContext(kDeflate);
    ASSERT_EQ(ResetDecompression(context.get()), S_OK);
    EXPECT_EQ(Drive(context.get(), RawDeflate("raw"), 8192, 8192).output, "raw");
}

// ---------------------------------------------------------------------------------------
// Random input never crashes and never breaks the counting rules (checked in CallOnce).

TEST(Decompress, RandomDataNeverCrashes) {
    std::mt19937 random(20240611);
    std::string valid = GzipMember(LongContent().substr(0, 30'000));
    for (int round = 0; round < 400; ++round) {
        std::string body;
        switch (round % 4) {
        case 0:
            body = RandomBytes(random() % 5000, random());
            break;
        case 1:
            body = BareHeaderThen(RandomBytes(random() % 5000, random()));
            break;
        case 2:
            body = valid;
            for (int flips = 1 + random() % 8; flips > 0; --flips)
                body[random() % body.size()] ^= static_cast<char>(1 + random() % 255);
            break;
        default:
            body = valid.substr(0, random() % valid.size());
            break;
        }
        size_t slice = 1 + random() % 9000;
        int32_t capacity = static_cast<int32_t>(random() % 9000);
        int32_t flags = static_cast<int32_t>(random() % 4);
        Trace run = Drive(body, slice, capacity, flags);
        EXPECT_NE(run.calls.back().status, S_OK);
        EXPECT_LE(run.consumedInAll, body.size());
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "round " << round;
            break;
        }
    }
}

} // namespace
