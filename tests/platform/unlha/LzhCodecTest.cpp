// The codec on its own: CRC, compress and decode over the input table for
// every method, and what the decoder does with damaged streams.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/unlha/Crc16.h"
#include "platform/unlha/LzhDecoder.h"
#include "platform/unlha/LzhEncoder.h"
#include "platform/unlha/LzhMatchFinder.h"
#include "tests/platform/unlha/TestFiles.h"

namespace tqen::unlha {
namespace {

using test::Bytes;

struct Decoded {
    Status status;
    Bytes out;
    std::uint16_t crc = 0;
};

Decoded decode(Method m, const Bytes &packed, std::uint64_t originalSize) {
    Decoded d;
    d.status = decodeLzh(m, packed.data(), packed.size(), originalSize,
                         [&](const std::uint8_t *p, std::size_t n) {
                             d.out.insert(d.out.end(), p, p + n);
                             return true;
                         },
                         d.crc);
    return d;
}

TEST(Crc16, CheckValueAndPieces) {
    const std::string s = "123456789";
    EXPECT_EQ(Crc16::of(reinterpret_cast<const std::uint8_t *>(s.data()), s.size()), 0xBB3D);
    // Folding in pieces of every size gives the same value as one call.
    const Bytes b = test::randomBytes(1000, 1);
    const std::uint16_t whole = Crc16::of(b.data(), b.size());
    for (std::size_t piece : {1u, 3u, 7u, 8u, 9u, 64u}) {
        Crc16 c;
        for (std::size_t at = 0; at < b.size(); at += piece) c.update(b.data() + at, std::min(piece, b.size() - at));
        EXPECT_EQ(c.value(), whole) << piece;
    }
}

class RoundTrip : public ::testing::TestWithParam<std::tuple<Method, Level>> {
protected:
    Method method() const { return std::get<0>(GetParam()); }
    EncoderOptions options() const {
        EncoderOptions o;
        o.level = std::get<1>(GetParam());
        return o;
    }
};

TEST_P(RoundTrip, EveryInputDecodesToItself) {
    test::TempDir dir;
    for (const auto &in : test::inputTable(dir.path())) {
        SCOPED_TRACE(in.name);
        const Bytes packed = compressLzh(in.data.data(), in.data.size(), method(), options());
        const Decoded d = decode(method(), packed, in.data.size());
        ASSERT_TRUE(d.status.ok()) << d.status.message;
        EXPECT_TRUE(d.out == in.data);
        EXPECT_EQ(d.crc, Crc16::of(in.data.data(), in.data.size()));
    }
}

TEST_P(RoundTrip, SmallBlocksAndShortChains) {
    // Many small blocks exercise tree changes at block edges.
    const Bytes data = test::textLike(50000, 9);
    EncoderOptions o = options();
    o.blockCodes = 100;
    o.maxChain = 1;
    o.searchDepth = 1;
    const Bytes packed = compressLzh(data.data(), data.size(), method(), o);
    const Decoded d = decode(method(), packed, data.size());
    ASSERT_TRUE(d.status.ok()) << d.status.message;
    EXPECT_TRUE(d.out == data);
}

TEST_P(RoundTrip, LongRunsAndMatchesAtTheEnd) {
    // Matches of every length near the end of the data, where the finder
    // works on strings cut short, and runs longer than the longest match.
    Bytes data = test::textLike(3000, 21);
    for (int len = 1; len <= 300; len += 7) {
        data.insert(data.end(), data.begin() + 100, data.begin() + 100 + len);
        data.push_back(static_cast<std::uint8_t>(len));
    }
    data.insert(data.end(), 70000, 'z');
    for (std::size_t cut : {data.size(), data.size() - 70001, data.size() - 70200}) {
        SCOPED_TRACE(cut);
        const Bytes in(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(cut));
        const Bytes packed = compressLzh(in.data(), in.size(), method(), options());
        const Decoded d = decode(method(), packed, in.size());
        ASSERT_TRUE(d.status.ok()) << d.status.message;
        EXPECT_TRUE(d.out == in);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, RoundTrip,
                         ::testing::Combine(::testing::Values(Method::Lh5, Method::Lh6, Method::Lh7),
                                            ::testing::Values(Level::Fast, Level::Medium, Level::Best)),
                         [](const auto &info) {
                             const Level l = std::get<1>(info.param);
                             return std::string(methodId(std::get<0>(info.param)).substr(1, 3)) +
                                    (l == Level::Fast ? "Fast" : l == Level::Medium ? "Medium" : "Best");
                         });

TEST(Huffman, LengthsAreLimitedAndComplete) {
    std::vector<std::vector<std::uint32_t>> tables;
    std::vector<std::uint32_t> fib = {1, 1};
    while (fib.size() < 40) fib.push_back(fib[fib.size() - 1] + fib[fib.size() - 2]);
    tables.push_back(fib);                                  // depth 39 without the limit
    tables.push_back(std::vector<std::uint32_t>(510, 1));   // flat
    tables.push_back({0, 5, 0, 0, 9});                      // two symbols
    std::vector<std::uint32_t> skew(300, 1);
    skew[7] = 4000000000u;
    tables.push_back(skew);
    for (const auto &freq : tables) {
        const auto len = huffmanLengths(freq, 16);
        std::uint64_t kraft = 0;
        for (std::size_t i = 0; i < len.size(); ++i) {
            EXPECT_LE(len[i], 16);
            EXPECT_EQ(len[i] == 0, freq[i] == 0) << i;
            if (len[i]) kraft += std::uint64_t{1} << (16 - len[i]);
        }
        EXPECT_EQ(kraft, std::uint64_t{1} << 16);
    }
    EXPECT_EQ(huffmanLengths({0, 0, 3, 0}, 16), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(Compression, DeepTreesOfLiteralsRoundTrip) {
    // Literal frequencies along the Fibonacci numbers force the limit of 16 bits.
    Bytes data;
    std::uint32_t a = 1, b = 1;
    for (int sym = 0; sym < 26; ++sym) {
        data.insert(data.end(), a, static_cast<std::uint8_t>(sym));
        const std::uint32_t c = a + b;
        a = b;
        b = c;
    }
    std::shuffle(data.begin(), data.end(), std::mt19937(1));
    EncoderOptions literalsOnly;
    literalsOnly.level = Level::Fast;
    literalsOnly.maxChain = 0;
    for (Method m : {Method::Lh5, Method::Lh7}) {
        const Bytes packed = compressLzh(data.data(), data.size(), m, literalsOnly);
        const Decoded d = decode(m, packed, data.size());
        ASSERT_TRUE(d.status.ok()) << d.status.message;
        EXPECT_TRUE(d.out == data);
    }
}

TEST(Compression, ShrinksTextAndFarMatchesNeedTheBigWindow) {
    const Bytes text = test::textLike(200000, 4);
    EXPECT_LT(compressLzh(text.data(), text.size(), Method::Lh7).size(), text.size() / 3);
    // A 40 KiB random block repeated: only -lh7- (64 KiB) reaches the copy.
    Bytes twice = test::randomBytes(40000, 8);
    twice.insert(twice.end(), twice.begin(), twice.end());
    EXPECT_LT(compressLzh(twice.data(), twice.size(), Method::Lh7).size(), 42000u);
    EXPECT_GT(compressLzh(twice.data(), twice.size(), Method::Lh5).size(), 78000u);
}

TEST(Compression, BestCodesLargeInputsInPartsThatReachBack) {
    // Pairs of equal random blocks 40,000 bytes long, so that the end of a
    // part (at 512 KiB here) falls inside a pair: the second block of each pair
    // shrinks only if a part's matches reach back into the part before it.
    Bytes data;
    for (unsigned seed = 1; data.size() < 4 * 262144; ++seed) {
        const Bytes block = test::randomBytes(40000, 100 + seed);
        data.insert(data.end(), block.begin(), block.end());
        data.insert(data.end(), block.begin(), block.end());
    }
    data.resize(4 * 262144);
    for (Method m : {Method::Lh5, Method::Lh7}) {
        SCOPED_TRACE(methodId(m));
        EncoderOptions o;
        o.level = Level::Best;
        o.threads = 1;
        const Bytes one = compressLzh(data.data(), data.size(), m, o);
        // -lh5-'s 8 KiB window cannot reach the copies at all.
        if (m == Method::Lh7) EXPECT_LT(one.size(), data.size() / 2 + 12000);
        const Decoded d = decode(m, one, data.size());
        ASSERT_TRUE(d.status.ok()) << d.status.message;
        EXPECT_TRUE(d.out == data);
        // The stream does not depend on the number of threads.
        for (int threads : {2, 3, 8}) {
            o.threads = threads;
            EXPECT_TRUE(compressLzh(data.data(), data.size(), m, o) == one) << threads;
        }
    }
}

TEST(Compression, FastOutputIsPinned) {
    // Fast writes the same bytes as it always has: a change here changes
    // every archive the fast level makes.
    EncoderOptions fast;
    fast.level = Level::Fast;
    const Bytes text = test::textLike(200000, 40);
    const Bytes packed = compressLzh(text.data(), text.size(), Method::Lh7, fast);
    EXPECT_EQ(packed.size(), 29114u);
    EXPECT_EQ(Crc16::of(packed.data(), packed.size()), 0x93BB);
}

TEST(Compression, AutoTakesBestForSmallInputsAndMediumForLarge) {
    // Text around Auto's limit: one byte below it Auto writes Best's bytes,
    // at the limit Medium's, which are larger than Best's and smaller than Fast's.
    const Bytes text = test::textLike(kAutoBestBelow, 41);
    auto pack = [&](Level level, std::size_t size) {
        EncoderOptions o;
        o.level = level;
        return compressLzh(text.data(), size, Method::Lh7, o);
    };
    const std::size_t below = kAutoBestBelow - 1, at = kAutoBestBelow;
    const Bytes best = pack(Level::Best, below), medium = pack(Level::Medium, at);
    EXPECT_TRUE(pack(Level::Auto, below) == best);
    EXPECT_TRUE(pack(Level::Auto, at) == medium);
    EXPECT_LT(best.size(), medium.size());
    EXPECT_LT(medium.size(), pack(Level::Fast, at).size());
    const Decoded d = decode(Method::Lh7, medium, at);
    ASSERT_TRUE(d.status.ok()) << d.status.message;
    EXPECT_TRUE(d.out == text);
    EXPECT_EQ(EncoderOptions{}.level, Level::Auto);
}

TEST(Compression, BestIsSmallerThanFast) {
    test::TempDir dir;
    struct Case {
        const char *name;
        Bytes data;
        double atMost;  // best / fast
    };
    // Text and a database shrink clearly more; mixed content (text, then
    // bytes of a small alphabet, then text again) tests the block ends.
    Bytes mixed = test::textLike(60000, 31);
    const Bytes noise = test::randomBytes(60000, 32, 16);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    const Bytes more = test::textLike(60000, 33);
    mixed.insert(mixed.end(), more.begin(), more.end());
    const std::vector<Case> cases = {
        {"text", test::textLike(300000, 30), 0.97},
        {"sqlite", test::sqliteFile(dir.path()), 0.97},
        {"mixed", mixed, 0.99},
    };
    for (const Case &c : cases) {
        for (Method m : {Method::Lh5, Method::Lh7}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::string(methodId(m)));
            EncoderOptions fast, best;
            fast.level = Level::Fast;
            best.level = Level::Best;
            const Bytes f = compressLzh(c.data.data(), c.data.size(), m, fast);
            const Bytes b = compressLzh(c.data.data(), c.data.size(), m, best);
            EXPECT_LE(static_cast<double>(b.size()), c.atMost * static_cast<double>(f.size()));
            const Decoded d = decode(m, b, c.data.size());
            ASSERT_TRUE(d.status.ok()) << d.status.message;
            EXPECT_TRUE(d.out == c.data);
        }
    }
}

TEST(MatchFinder, CommonLengthStopsAtTheFirstDifferenceOrTheLimit) {
    // Every limit across the widths compared at once (16 and 8 bytes, then
    // single bytes), against a difference at every place or none.
    const Bytes a = test::randomBytes(80, 7);
    for (int maxLen = 0; maxLen <= 72; ++maxLen) {
        for (int differ = 0; differ <= 73; ++differ) {
            Bytes b = a;
            if (differ < 73) b[static_cast<std::size_t>(differ)] ^= 0x40;
            ASSERT_EQ(commonLength(a.data(), b.data(), maxLen), std::min(differ, maxLen))
                << "limit " << maxLen << " difference at " << differ;
        }
    }
}

TEST(MatchFinder, MatchesAreRealNearestAndLongest) {
    // Small alphabets give many matches of every length; with a deep search
    // the longest match must be found, each one must be real and inside the
    // window, and no nearer position may hold a match as long. Positions may
    // be left out of the tree (as inside long matches): the others are still
    // matched exactly among the positions entered.
    for (unsigned range : {2u, 4u, 26u}) {
        for (std::size_t leaveOut : {0u, 3u}) {
            SCOPED_TRACE(testing::Message() << "range " << range << " leave out " << leaveOut);
            const Bytes data = test::randomBytes(12000, range, range);
            auto entered = [&](std::size_t pos) { return leaveOut == 0 || pos % leaveOut != 1; };
            const int dictBits = 13;  // 8 KiB: the data outgrows the window
            BinaryTreeMatchFinder finder(data.data(), data.size(), dictBits, 1 << 20);
            MatchCandidate found[kMaxMatch];
            const std::size_t maxDist = (std::size_t{1} << dictBits) - 1;
            for (std::size_t pos = 0; pos < data.size(); ++pos) {
                if (!entered(pos)) continue;
                const int n = finder.find(pos, found);
                const int maxLen = static_cast<int>(std::min<std::size_t>(kMaxMatch, data.size() - pos));
                int longest = 0;
                std::size_t nearestLongest = 0;
                for (std::size_t dist = 1; dist <= std::min(pos, maxDist); ++dist) {
                    if (!entered(pos - dist)) continue;
                    int l = 0;
                    while (l < maxLen && data[pos - dist + l] == data[pos + l]) ++l;
                    if (l > longest) {
                        longest = l;
                        nearestLongest = dist;
                    }
                }
                if (longest < kMinMatch) {
                    ASSERT_EQ(n, 0) << pos;
                    continue;
                }
                if (pos + kMaxMatch <= data.size()) ASSERT_GT(n, 0) << pos;
                for (int k = 0; k < n; ++k) {
                    const MatchCandidate &m = found[k];
                    ASSERT_LE(m.distance, std::min(pos, maxDist)) << pos;
                    ASSERT_TRUE(entered(pos - m.distance)) << pos;
                    ASSERT_TRUE(std::equal(data.begin() + static_cast<std::ptrdiff_t>(pos - m.distance),
                                           data.begin() + static_cast<std::ptrdiff_t>(pos - m.distance + m.length),
                                           data.begin() + static_cast<std::ptrdiff_t>(pos)))
                        << pos;
                    if (k > 0) ASSERT_GT(m.length, found[k - 1].length) << pos;
                }
                // In the last kMaxMatch bytes strings are cut short and a match
                // may be missed; whatever is found there must still be real.
                if (pos + kMaxMatch > data.size()) continue;
                ASSERT_EQ(found[n - 1].length, longest) << pos;
                ASSERT_EQ(found[n - 1].distance, nearestLongest) << pos;
            }
        }
    }
}

TEST(DecoderDamage, TruncatedStreamsFailAtEveryCut) {
    const Bytes data = test::textLike(30000, 5);
    const Bytes packed = compressLzh(data.data(), data.size(), Method::Lh7);
    for (std::size_t cut = 0; cut < packed.size(); cut += std::max<std::size_t>(1, packed.size() / 97)) {
        const Bytes part(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(cut));
        const Decoded d = decode(Method::Lh7, part, data.size());
        EXPECT_FALSE(d.status.ok() && d.out == data) << "cut at " << cut;
        EXPECT_LE(d.out.size(), data.size());
    }
}

TEST(DecoderDamage, FlippedBytesNeverOverrunOrPass) {
    const Bytes data = test::textLike(20000, 6);
    const Bytes packed = compressLzh(data.data(), data.size(), Method::Lh5);
    const std::uint16_t crc = Crc16::of(data.data(), data.size());
    for (std::size_t at = 0; at < packed.size(); at += 7) {
        Bytes bad = packed;
        bad[at] ^= 0x5A;
        const Decoded d = decode(Method::Lh5, bad, data.size());
        EXPECT_LE(d.out.size(), data.size());
        if (d.status.ok()) EXPECT_TRUE(d.crc != crc || d.out == data) << "flip at " << at;
    }
}

// Streams written by hand, bit by bit, for the cases an encoder never makes.
struct Bits {
    Bytes b;
    int n = 0;
    void put(int bits, unsigned v) {
        for (int i = bits - 1; i >= 0; --i) {
            if (n % 8 == 0) b.push_back(0);
            if ((v >> i) & 1) b.back() |= static_cast<std::uint8_t>(0x80 >> (n % 8));
            ++n;
        }
    }
};

// One block of `codes` codes whose char and position trees have one symbol.
Bytes singleSymbolBlock(unsigned codes, unsigned cSymbol, unsigned pSymbol) {
    Bits s;
    s.put(16, codes);
    s.put(5, 0);
    s.put(5, 0);
    s.put(9, 0);
    s.put(9, cSymbol);
    s.put(5, 0);
    s.put(5, pSymbol);
    return s.b;
}

// A block of two codes: literal 'a', then a match of 256 at distance 1.
Bytes literalThenLongMatch() {
    Bits s;
    s.put(16, 2);
    s.put(5, 4);  // temp tree: symbols 2 and 3 of length 1
    s.put(3, 0);
    s.put(3, 0);
    s.put(3, 1);
    s.put(2, 0);
    s.put(3, 1);
    s.put(9, 510);  // char tree: 97 zeros, 1, 411 zeros, 1
    s.put(1, 0);
    s.put(9, 97 - 20);
    s.put(1, 1);
    s.put(1, 0);
    s.put(9, 411 - 20);
    s.put(1, 1);
    s.put(5, 0);  // position tree: symbol 0
    s.put(5, 0);
    s.put(1, 0);  // 'a'
    s.put(1, 1);  // length 256, distance 1
    return s.b;
}

TEST(DecoderDamage, HandMadeStreams) {
    const Decoded fits = decode(Method::Lh7, literalThenLongMatch(), 257);
    ASSERT_TRUE(fits.status.ok()) << fits.status.message;
    EXPECT_EQ(fits.out, Bytes(257, 'a'));

    // A valid one-symbol block: 4 literals 'x' with codes of no bits.
    Decoded ok = decode(Method::Lh7, singleSymbolBlock(4, 'x', 0), 4);
    ASSERT_TRUE(ok.status.ok()) << ok.status.message;
    EXPECT_EQ(ok.out, Bytes(4, 'x'));

    struct Case {
        const char *what;
        Bytes stream;
        std::uint64_t size;
    };
    Bits overlong;  // temp tree with a length of 17 bits
    overlong.put(16, 1);
    overlong.put(5, 3);
    overlong.put(3, 7);
    overlong.put(11, 0x7FE);
    const std::vector<Case> cases = {
        {"block size 0", singleSymbolBlock(0, 'x', 0), 4},
        {"match before the start", singleSymbolBlock(1, 256, 0), 3},
        {"match longer than the data", literalThenLongMatch(), 10},
        {"char symbol out of range", singleSymbolBlock(1, 511, 0), 1},
        {"position symbol out of range", singleSymbolBlock(1, 'x', 30), 1},
        {"over-long tree", overlong.b, 1},
        {"empty stream", {}, 100},
        {"codes run out", singleSymbolBlock(4, 'x', 0), 5},
    };
    for (const Case &c : cases) {
        const Decoded d = decode(Method::Lh7, c.stream, c.size);
        EXPECT_EQ(d.status.error, Error::ArchiveDamaged) << c.what;
        EXPECT_LE(d.out.size(), c.size) << c.what;
    }
}

TEST(DecoderDamage, IncompleteTreeIsRefused) {
    Bits s;  // char tree of count 2 whose lengths leave the code incomplete
    s.put(16, 1);
    s.put(5, 0);  // temp tree: one symbol (3 = length 1)
    s.put(5, 3);
    s.put(9, 2);  // two char lengths, both 1 through the 0-bit temp code... valid;
    s.put(5, 0);
    s.put(5, 0);
    Decoded ok = decode(Method::Lh7, s.b, 1);
    ASSERT_TRUE(ok.status.ok()) << ok.status.message;

    Bits bad;  // temp tree one symbol 4 (= length 2): two codes of 2 bits are incomplete
    bad.put(16, 1);
    bad.put(5, 0);
    bad.put(5, 4);
    bad.put(9, 2);
    bad.put(5, 0);
    bad.put(5, 0);
    EXPECT_EQ(decode(Method::Lh7, bad.b, 1).status.error, Error::ArchiveDamaged);
}

TEST(DecoderDamage, SinkCanStopTheDecoder) {
    const Bytes data = test::textLike(200000, 2);
    const Bytes packed = compressLzh(data.data(), data.size(), Method::Lh7);
    std::size_t seen = 0;
    std::uint16_t crc = 0;
    const Status s = decodeLzh(Method::Lh7, packed.data(), packed.size(), data.size(),
                               [&](const std::uint8_t *, std::size_t n) {
                                   seen += n;
                                   return seen < 50000;
                               },
                               crc);
    EXPECT_EQ(s.error, Error::Output);
    EXPECT_LT(seen, data.size());
}

}  // namespace
}  // namespace tqen::unlha
