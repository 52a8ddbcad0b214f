// The LZH decoder against the packer's encoder, and its behaviour on short,
// empty and corrupt input.
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/skin_core/classic_lzhuf.h"
#include "skin/data/lzh.h"
#include "tests/support/gtest.h"
#include "tools/skinpack/lzh_encoder.h"

namespace quorvane {
namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& coded, int32_t textSize)
{
    MemoryStream input(coded);
    MemoryStream output;
    TLZH codec;
    codec.Unpack(textSize, StreamSource{input}, StreamSink{output});
    return output.Release();
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    return bytes;
}

std::vector<uint8_t> IniText(size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i) {
        text += "[Element" + std::to_string(i) + "]\r\nImage=element" + std::to_string(i) +
                ".bmp\r\nFrameCount=" + std::to_string(i % 5 + 1) + "\r\nLeftWidth=" + std::to_string(i % 13) +
                "\r\nTrans=1\r\nColour=$00" + std::to_string(100000 + i * 7) + "\r\n";
    }
    text.resize(size);
    return Bytes(text);
}

// A 24-bit bitmap file: header, then rows of a gradient with flat runs and a
// little noise, as skin pictures look.
std::vector<uint8_t> BitmapLike(int width, int height, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool key = (x + y) % 37 < 6;  // magenta transparency areas
            bytes.push_back(key ? 0xFF : static_cast<uint8_t>(x * 2 + (rng() % 4)));
            bytes.push_back(key ? 0x00 : static_cast<uint8_t>(y * 3));
            bytes.push_back(key ? 0xFF : static_cast<uint8_t>(128 + x / 4));
        }
        while (bytes.size() % 4 != 2) bytes.push_back(0);
    }
    return bytes;
}

std::vector<uint8_t> MixedData(size_t size)
{
    std::vector<uint8_t> bytes;
    for (uint32_t part = 0; bytes.size() < size; ++part) {
        std::vector<uint8_t> chunk = part % 3 == 0   ? IniText(20000)
                                     : part % 3 == 1 ? BitmapLike(120, 60, part)
                                                     : RandomBytes(8000, part);
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    }
    bytes.resize(size);
    return bytes;
}

struct RoundTripCase {
    const char* name;
    std::vector<uint8_t> input;
    int minRebuilds;
};

TEST(LzhCodec, RoundTripsEncoderOutput)
{
    const std::vector<RoundTripCase> cases = {
        {"empty", {}, 0},
        {"one byte", {0x42}, 0},
        {"one space", {' '}, 0},
        {"spaces", Bytes(std::string(5000, ' ')), 0},
        {"spaces then text", Bytes(std::string(100, ' ') + "Quorvane"), 0},
        {"random", RandomBytes(20000, 7), 0},
        {"all byte values", [] { std::vector<uint8_t> v; for (int i = 0; i < 2048; ++i) v.push_back(static_cast<uint8_t>(i * 7)); return v; }(), 0},
        {"ini text", IniText(30000), 0},
        {"bitmap", BitmapLike(200, 100, 3), 0},
        {"zeros", std::vector<uint8_t>(70000, 0), 0},
        {"mixed, several hundred KB", MixedData(600000), 2},
    };
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(c.name);
        LzhEncodeStats stats;
        const std::vector<uint8_t> coded = LzhEncode(c.input, &stats);
        EXPECT_GE(stats.rebuilds, c.minRebuilds);
        std::vector<uint8_t> decoded = Decode(coded, static_cast<int32_t>(c.input.size()));
        ASSERT_GE(decoded.size(), c.input.size());
        EXPECT_LE(decoded.size(), c.input.size() + 59);
        decoded.resize(c.input.size());
        EXPECT_TRUE(decoded == c.input);
    }
}

// Bytes whose bits are 1 with the given probability: skewed bit streams walk
// the tree lopsidedly, so symbols are deep or shallow and nodes near the root
// change places often.
std::vector<uint8_t> BiasedBits(size_t size, double ones, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::bernoulli_distribution bit(ones);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) {
        for (int k = 0; k < 8; ++k) b = static_cast<uint8_t>((b << 1) | (bit(rng) ? 1 : 0));
    }
    return bytes;
}

// Any bit stream is a valid coded stream, so the decoder can be held against
// the plain algorithm on streams the encoder would never write: long ones
// (millions of output bytes, many tree rebuilds), skewed ones, and the same
// streams cut short at odd places. Every output byte, including the final
// match's overshoot, must agree.
TEST(LzhCodec, AgreesWithThePlainDecoderOnArbitraryStreams)
{
    struct Stream {
        const char* name;
        std::vector<uint8_t> coded;
        int32_t textSize;
    };
    const std::vector<uint8_t> mixed = MixedData(300000);
    const std::vector<Stream> streams = {
        {"uniform bits", RandomBytes(150000, 11), 2000000},
        {"mostly zero bits", BiasedBits(60000, 0.15, 12), 2000000},
        {"mostly one bits", BiasedBits(60000, 0.85, 13), 2000000},
        {"encoder output", LzhEncode(mixed), static_cast<int32_t>(mixed.size())},
        {"short, then zeros", RandomBytes(37, 14), 50000},
        {"tiny size", RandomBytes(5000, 15), 7},
    };
    for (const Stream& stream : streams) {
        SCOPED_TRACE(stream.name);
        // The plain decoder of the scheme (one bit per tree level, step-by-step
        // tree update), kept beside the benchmark as its yardstick.
        const std::vector<uint8_t> expected =
            bench::ClassicDecode(stream.coded.data(), stream.coded.size(), stream.textSize);
        const std::vector<uint8_t> decoded = Decode(stream.coded, stream.textSize);
        ASSERT_EQ(decoded.size(), expected.size());
        EXPECT_TRUE(decoded == expected);
    }
}

TEST(LzhCodec, FirstSymbolMatchCopiesTheInitialSpaces)
{
    // 60 spaces are one match into the ring's initial fill: one symbol, no literal.
    const std::vector<uint8_t> spaces(60, ' ');
    LzhEncodeStats stats;
    const std::vector<uint8_t> coded = LzhEncode(spaces, &stats);
    EXPECT_EQ(stats.matches, 1u);
    EXPECT_EQ(stats.literals, 0u);
    EXPECT_EQ(Decode(coded, 60), spaces);
}

// Writes bits most significant first, as the decoder reads them.
struct BitStream {
    std::vector<uint8_t> bytes;
    int used = 8;
    void Put(unsigned value, int count)
    {
        for (int k = count - 1; k >= 0; --k) {
            if (used == 8) {
                bytes.push_back(0);
                used = 0;
            }
            bytes.back() = static_cast<uint8_t>(bytes.back() | (((value >> k) & 1u) << (7 - used)));
            ++used;
        }
    }
};

// A symbol's code in the tree as every stream starts it: leaf s is node s,
// nodes i and i + 1 hang under node 314 + i / 2, and the bit that leads to a
// node is its lowest bit.
void PutInitialCode(BitStream& out, int symbol)
{
    std::vector<unsigned> bits;
    for (int node = symbol; node != lzh::kRoot; node = lzh::kCharCount + node / 2) bits.push_back(node & 1);
    for (auto bit = bits.rbegin(); bit != bits.rend(); ++bit) out.Put(*bit, 1);
}

TEST(LzhCodec, CopyFromTheUnfilledEndOfTheRingReadsZeros)
{
    // First symbol: a 3-byte match (symbol 256) at position 4091, which
    // starts at ring position 4040, past the initial spaces and not yet
    // written.
    BitStream stream;
    PutInitialCode(stream, 256);
    stream.Put(static_cast<unsigned>(lzh::PositionCodeFirstByte(4091 >> 6)), 8);
    stream.Put(4091 & 63, 6);
    // Leave a block of the ring's size full of non-zero bytes on the heap, so
    // that a ring allocated over it without being cleared would show them.
    auto dirty = std::make_unique<uint8_t[]>(lzh::kRingBytes);
    std::memset(dirty.get(), 0xAA, lzh::kRingBytes);
    EXPECT_EQ(dirty[lzh::kRingBytes / 2], 0xAA);
    dirty.reset();
    EXPECT_EQ(Decode(stream.bytes, 3), std::vector<uint8_t>(3, 0));
}

TEST(LzhCodec, FinalMatchRunsPastTheTextSize)
{
    const std::vector<uint8_t> coded = LzhEncode(std::vector<uint8_t>(60, ' '));
    // Asking for 1 byte still delivers the whole 60-byte match.
    EXPECT_EQ(Decode(coded, 1), std::vector<uint8_t>(60, ' '));
}

TEST(LzhCodec, NonPositiveTextSizeReadsAndWritesNothing)
{
    for (int32_t size : {0, -1, -100000}) {
        int fetched = 0;
        int written = 0;
        TLZH codec;
        codec.Unpack(
            size, [&](uint8_t*, uint16_t, uint16_t& delivered) { ++fetched; delivered = 0; },
            [&](const uint8_t*, uint16_t, uint16_t& done) { ++written; done = 1; });
        EXPECT_EQ(fetched, 0) << size;
        EXPECT_EQ(written, 0) << size;
    }
}

TEST(LzhCodec, TruncatedInputGivesTheRightPrefixThenFiller)
{
    const std::vector<uint8_t> input = IniText(40000);
    std::vector<uint8_t> coded = LzhEncode(input);
    coded.resize(coded.size() / 2);
    const std::vector<uint8_t> decoded = Decode(coded, static_cast<int32_t>(input.size()));
    ASSERT_GE(decoded.size(), input.size());
    // At least the first part decodes as before; what follows is filler, not an error.
    const size_t prefix = 10000;
    EXPECT_TRUE(std::equal(input.begin(), input.begin() + prefix, decoded.begin()));
    EXPECT_FALSE(std::equal(input.begin(), input.end(), decoded.begin()));

    // No input at all: zero bits decode to filler of the requested size.
    EXPECT_GE(Decode({}, 1000).size(), 1000u);
}

TEST(LzhCodec, CallbacksMoveOneByteAtATime)
{
    const std::vector<uint8_t> input = BitmapLike(50, 20, 1);
    const std::vector<uint8_t> coded = LzhEncode(input);
    size_t next = 0;
    size_t fetches = 0;
    std::vector<uint8_t> out;
    TLZH codec;
    codec.Unpack(
        static_cast<int32_t>(input.size()),
        [&](uint8_t* buffer, uint16_t requested, uint16_t& delivered) {
            EXPECT_EQ(requested, 1);
            ++fetches;
            delivered = next < coded.size() ? 1 : 0;
            if (delivered) buffer[0] = coded[next++];
        },
        [&](const uint8_t* buffer, uint16_t count, uint16_t& written) {
            EXPECT_EQ(count, 1);
            out.push_back(buffer[0]);
            written = count;
        });
    out.resize(input.size());
    EXPECT_EQ(out, input);
    // The bit buffer holds at most 8 bytes ahead of what it has used.
    EXPECT_LE(fetches, coded.size() + 8);
}

TEST(LzhCodec, StreamSourceDeliversWhatRemains)
{
    MemoryStream stream(Bytes("abc"));
    stream.Seek(2);
    uint8_t buffer[4] = {0, 0, 0, 0};
    uint16_t delivered = 99;
    StreamSource{stream}(buffer, 4, delivered);
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(buffer[0], 'c');
    StreamSource{stream}(buffer, 1, delivered);
    EXPECT_EQ(delivered, 0);
}

TEST(LzhCodec, PositionTablesFollowThePrefixCode)
{
    struct Row {
        int byte;
        int upper;
        int length;
    };
    const Row rows[] = {{0, 0, 3},     {31, 0, 3},    {32, 1, 4},    {47, 1, 4},   {48, 2, 4},
                        {79, 3, 4},    {80, 4, 5},    {87, 4, 5},    {144, 12, 6},  {151, 13, 6}, {192, 24, 7},
                        {239, 47, 7},  {240, 48, 8},  {255, 63, 8}};
    for (const Row& row : rows) {
        EXPECT_EQ(lzh::kPositionTables.upper[row.byte], row.upper) << row.byte;
        EXPECT_EQ(lzh::kPositionTables.length[row.byte], row.length) << row.byte;
    }
}

}  // namespace
}  // namespace quorvane
