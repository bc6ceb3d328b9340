#include "platform/unlha/LzhEncoder.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/unlha/LzhBlockWriter.h"
#include "platform/unlha/LzhMatchFinder.h"
#include "platform/unlha/LzhOptimalEncoder.h"

namespace tqen::unlha {

namespace {

// Fast and Medium: lazy matching on hash chains, blocks of a fixed number of codes.
class Encoder {
public:
    Encoder(const std::uint8_t *data, std::size_t size, Method m, const EncoderOptions &o,
            std::vector<std::uint8_t> &out)
        : d_(data), n_(size), p_(streamParams(m)), o_(o), bw_(out) {
        window_ = std::size_t{1} << p_.dictBits;
        maxDist_ = window_ - 1;
        head_.assign(std::size_t{1} << kHashBits, -1);
        prev_.assign(window_, -1);
        codes_.reserve(static_cast<std::size_t>(o_.blockCodes));
    }

    void run() {
        std::size_t pos = 0;
        int prevLen = 0;
        std::size_t prevDist = 0;
        bool pending = false;
        while (pos < n_) {
            int curLen = 0;
            std::size_t curDist = 0;
            if (pos + kMinMatch <= n_) {
                const std::int32_t cand = insert(pos);
                if (prevLen < o_.maxLazy) {
                    curLen = findMatch(pos, cand, prevLen, &curDist);
                    if (curLen == kMinMatch && curDist > 4096) curLen = 0;
                }
            }
            // The previous match wins unless the one here is longer; one byte
            // longer but much farther away costs more than it saves.
            const bool previousWins =
                curLen <= prevLen ||
                (curLen == prevLen + 1 && bitLength(static_cast<unsigned>(curDist - 1)) >
                                              bitLength(static_cast<unsigned>(prevDist - 1)) + 3);
            if (pending && prevLen >= kMinMatch && previousWins) {
                emitMatch(prevLen, prevDist);
                const std::size_t end = pos - 1 + static_cast<std::size_t>(prevLen);
                for (std::size_t q = pos + 1; q < end; ++q)
                    if (q + kMinMatch <= n_) insert(q);
                pos = end;
                prevLen = 0;
                pending = false;
            } else if (pending) {
                emitLiteral(d_[pos - 1]);
                prevLen = curLen;
                prevDist = curDist;
                ++pos;
            } else {
                pending = true;
                prevLen = curLen;
                prevDist = curDist;
                ++pos;
            }
        }
        if (pending) emitLiteral(d_[n_ - 1]);
        if (!codes_.empty()) writeBlock();
        bw_.flush();
    }

    void writeBlock() {
        writeCodes(bw_, p_, codes_.data(), codes_.size());
        codes_.clear();
    }

private:
    static constexpr int kHashBits = 16;

    std::uint32_t hashAt(std::size_t pos) const {
        const std::uint32_t v = static_cast<std::uint32_t>(d_[pos]) << 16 |
                                static_cast<std::uint32_t>(d_[pos + 1]) << 8 | d_[pos + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    // Enters pos into its hash chain; returns the previous head of that chain.
    std::int32_t insert(std::size_t pos) {
        const std::uint32_t h = hashAt(pos);
        const std::int32_t cand = head_[h];
        prev_[pos & (window_ - 1)] = cand;
        head_[h] = static_cast<std::int32_t>(pos);
        return cand;
    }

    // Longest match at pos longer than `atLeast`, or 0.
    int findMatch(std::size_t pos, std::int32_t cand, int atLeast, std::size_t *dist) {
        const int maxLen = static_cast<int>(std::min<std::size_t>(kMaxMatch, n_ - pos));
        int best = std::max(atLeast, kMinMatch - 1);
        if (best >= maxLen) return 0;
        int chain = o_.maxChain;
        if (atLeast >= o_.goodLength) chain >>= 2;
        const std::uint8_t *cur = d_ + pos;
        int found = 0;
        while (cand >= 0 && pos - static_cast<std::size_t>(cand) <= maxDist_ && chain-- > 0) {
            const std::uint8_t *m = d_ + cand;
            if (m[best] == cur[best] && m[0] == cur[0] && m[1] == cur[1]) {
                const int l = commonLength(m, cur, maxLen);
                if (l > best) {
                    best = l;
                    found = l;
                    *dist = pos - static_cast<std::size_t>(cand);
                    if (l >= o_.niceLength || l >= maxLen) break;
                }
            }
            cand = prev_[static_cast<std::size_t>(cand) & (window_ - 1)];
        }
        return found;
    }

    void emitLiteral(std::uint8_t b) {
        codes_.push_back({b, 0});
        if (static_cast<int>(codes_.size()) >= o_.blockCodes) writeBlock();
    }
    void emitMatch(int len, std::size_t dist) {
        codes_.push_back({static_cast<std::uint16_t>(256 + len - kMinMatch),
                          static_cast<std::uint16_t>(dist - 1)});
        if (static_cast<int>(codes_.size()) >= o_.blockCodes) writeBlock();
    }

    const std::uint8_t *d_;
    std::size_t n_;
    StreamParams p_;
    EncoderOptions o_;
    BitWriter bw_;
    std::size_t window_ = 0, maxDist_ = 0;
    std::vector<std::int32_t> head_, prev_;
    std::vector<Code> codes_;
};

// Best splits inputs of twice this size or more into parts coded on their
// own threads: a part starts new blocks and a first parse with default
// prices, which costs a few hundred bytes, and first enters the window
// before it into its tree, so that its matches still reach into the part
// before it. Parts of 512 KiB rather than 256 keep that lead-in to an
// eighth of the work on a 2.7 MB data file (a quarter before: 8 % fewer
// instructions in all, 0.3 % smaller).
constexpr std::size_t kBytesPerPart = 512 * 1024;
constexpr std::size_t kMaxParts = 8;

}  // namespace

std::vector<std::uint8_t> compressLzh(const std::uint8_t *data, std::size_t size, Method method,
                                      const EncoderOptions &options) {
    std::vector<std::uint8_t> out;
    if (size == 0) return out;
    out.reserve(size / 2 + 64);
    EncoderOptions o = options;
    if (o.level == Level::Auto) o.level = size < kAutoBestBelow ? Level::Best : Level::Medium;
    if (o.level == Level::Medium) {
        // Fast's lazy matching, searching deeper and never content with a
        // shorter match: on data files most bytes lie in long matches, and
        // the longest of them saves the most.
        o.maxChain = o.mediumChain;
        o.maxLazy = kMaxMatch;
        o.niceLength = kMaxMatch;
    }
    if (o.blockCodes <= 0) o.blockCodes = o.level == Level::Fast ? 32768 : 65535;
    o.blockCodes = std::min(o.blockCodes, 65535);
    o.niceLength = std::clamp(o.niceLength, kMinMatch, kMaxMatch);
    o.longMatch = std::clamp(o.longMatch, kMinMatch, kMaxMatch);
    o.passes = std::clamp(o.passes, 1, 8);
    o.longMatchStep = std::clamp(o.longMatchStep, 1, kMaxMatch);
    if (o.level == Level::Fast || o.level == Level::Medium) {
        Encoder(data, size, method, o, out).run();
        return out;
    }
    // Best codes large inputs in parts on threads of their own. The parts
    // depend only on the size, so the stream is the same on any machine.
    const std::size_t parts = std::clamp<std::size_t>(size / kBytesPerPart, 1, kMaxParts);
    if (parts == 1) {
        compressBestPart(data, size, 0, size, method, o, out);
        return out;
    }
    std::vector<std::vector<std::uint8_t>> streams(parts);
    std::vector<std::uint64_t> bits(parts);
    auto code = [&](std::size_t k) {
        const std::size_t begin = size * k / parts, end = size * (k + 1) / parts;
        streams[k].reserve((end - begin) / 4 + 64);
        bits[k] = compressBestPart(data, size, begin, end, method, o, streams[k]);
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::min<std::size_t>({parts, cores, o.threads > 0 ? static_cast<std::size_t>(o.threads) : cores});
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t k; (k = next.fetch_add(1)) < parts;) code(k);
    };
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread &t : pool) t.join();
    BitWriter bw(out);
    for (std::size_t k = 0; k < parts; ++k) bw.append(streams[k], bits[k]);
    bw.flush();
    return out;
}

}  // namespace tqen::unlha
