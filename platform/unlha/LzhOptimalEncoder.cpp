#include "platform/unlha/LzhOptimalEncoder.h"

#include <algorithm>
#include <array>

#include "platform/unlha/LzhBlockWriter.h"
#include "platform/unlha/LzhMatchFinder.h"

namespace tqen::unlha {

namespace {

// Best: the input is taken in stretches of kStretch bytes. Every position of
// a stretch gets its matches from the binary tree; then the stretch is parsed
// for the fewest bits (shortest path over positions, a literal or any match
// length being an edge) with prices from the code lengths of the block it
// joins, and parsed again with the lengths that parse gives. A stretch joins
// the open block when one block of both costs fewer bits than two blocks.
// An encoder codes the part [begin, end) of the data, its matches reaching
// back before begin, so that parts coded apart join into one stream.
class OptimalEncoder {
public:
    OptimalEncoder(const std::uint8_t *data, std::size_t size, std::size_t begin, std::size_t end, Method m,
                   const EncoderOptions &o, std::vector<std::uint8_t> &out)
        : d_(data), n_(size), begin_(begin), end_(end), p_(streamParams(m)), o_(o), bw_(out),
          finder_(data, size, p_.dictBits, o.searchDepth) {
        matchAt_.resize(kStretch + 1);
        wholeOnly_.resize(kStretch + 1);
        matches_.reserve(kStretch * 4);
        cost_.resize(kStretch + 1);
        step_.resize(kStretch + 1);
        defaultPrices();
    }

    // Codes the part; returns the bits written before the padding of the last byte.
    std::uint64_t run() {
        // The window before the part enters the tree first.
        const std::size_t window = std::size_t{1} << p_.dictBits;
        for (std::size_t pos = begin_ > window ? begin_ - window : 0; pos < begin_; ++pos) finder_.skip(pos);
        for (std::size_t at = begin_; at < end_;) {
            const std::size_t len = std::min<std::size_t>(kStretch, end_ - at);
            collectMatches(at, len);
            // The first stretch has no block to take prices from: one more pass.
            const int passes = std::max(1, o_.passes) + (at == begin_ ? 1 : 0);
            for (int pass = 0; pass < passes; ++pass) {
                if (pass > 0) {
                    Freq f = open_;
                    f.add(stretchFreq_);
                    pricesFrom(f);
                }
                parse(at, len);
            }
            placeStretch();
            at += len;
        }
        flushOpen();
        const std::uint64_t bits = bw_.bits();
        bw_.flush();
        return bits;
    }

private:
    static constexpr std::size_t kStretch = 16384;
    static constexpr std::size_t kLongMatchTail = 12;
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

    struct Freq {
        std::array<std::uint32_t, kNC> c{};
        std::array<std::uint32_t, 32> p{};
        std::uint64_t extraBits = 0;
        void add(const Freq &o) {
            for (int i = 0; i < kNC; ++i) c[i] += o.c[i];
            for (int i = 0; i < 32; ++i) p[i] += o.p[i];
            extraBits += o.extraBits;
        }
    };
    struct Step {
        std::uint16_t length;  // 1 for a literal
        std::uint16_t off;     // distance - 1
    };

    // Bits of one block holding f: head, trees and codes; t gets its trees.
    std::uint64_t blockBits(const Freq &f, BlockTrees &t) const {
        buildTrees(f.c.data(), f.p.data(), p_.np, t);
        std::uint64_t bits = blockHeadBits(p_, t) + f.extraBits;
        for (int i = 0; i < kNC; ++i) bits += std::uint64_t{f.c[i]} * t.cLen[i];
        for (int i = 0; i < p_.np; ++i) bits += std::uint64_t{f.p[i]} * t.pLen[i];
        return bits;
    }

    void defaultPrices() {
        for (int i = 0; i < 256; ++i) charPrice_[i] = 9;
        for (int l = kMinMatch; l <= kMaxMatch; ++l) charPrice_[256 + l - kMinMatch] = l < 8 ? 7 : (l < 32 ? 10 : 13);
        for (int k = 0; k < 32; ++k) slotPrice_[k] = 4 + (k > 1 ? k - 1 : 0);
    }

    // Prices from the code lengths of a block's trees; an unused symbol costs
    // a bit more than the longest code.
    void pricesFrom(const BlockTrees &t) {
        if (t.cUsed < 2) {
            defaultPrices();
            return;
        }
        const std::uint32_t cUnused = std::min<std::uint32_t>(kMaxCodeBits, *std::max_element(t.cLen.begin(), t.cLen.end()) + 2);
        for (int i = 0; i < kNC; ++i) charPrice_[i] = t.cLen[i] ? t.cLen[i] : cUnused;
        const std::uint32_t pUnused =
            t.pUsed < 2 ? 3 : std::min<std::uint32_t>(kMaxCodeBits, *std::max_element(t.pLen.begin(), t.pLen.end()) + 2);
        for (int k = 0; k < p_.np; ++k) slotPrice_[k] = (t.pLen[k] ? t.pLen[k] : pUnused) + (k > 1 ? k - 1 : 0);
    }
    void pricesFrom(const Freq &f) {
        BlockTrees t;
        buildTrees(f.c.data(), f.p.data(), p_.np, t);
        pricesFrom(t);
    }

    void collectMatches(std::size_t at, std::size_t len) {
        matches_.clear();
        MatchCandidate found[kMaxMatch];
        std::size_t skipTo = 0, skipFrom = 0;
        const std::size_t step = static_cast<std::size_t>(o_.longMatchStep);
        for (std::size_t i = 0; i < len; ++i) {
            matchAt_[i] = static_cast<std::uint32_t>(matches_.size());
            wholeOnly_[i] = 0;
            const std::size_t pos = at + i;
            if (pos < skipTo) {
                // Inside a long match: only every longMatchStep-th position
                // and those of its last kLongMatchTail bytes enter the tree,
                // with the longest match there taken whole, so that a longer
                // one starting inside is not missed. The tree misses the
                // others, but their strings are mostly in it already, at the
                // match's source.
                if ((pos - skipFrom) % step != 0 && skipTo - pos > kLongMatchTail) continue;
                const int count = finder_.findNear(pos, found);
                const int room = static_cast<int>(len - i);
                if (count > 0 && found[count - 1].length >= kMinMatch && room >= kMinMatch) {
                    matches_.push_back({static_cast<std::uint16_t>(std::min<int>(found[count - 1].length, room)),
                                        found[count - 1].distance});
                    wholeOnly_[i] = 1;
                }
                continue;
            }
            const int count = finder_.find(pos, found);
            const int room = static_cast<int>(len - i);
            for (int k = 0; k < count; ++k) {
                // Matches end inside the stretch: cut the first one that would
                // not, and drop the longer ones.
                if (found[k].length >= room) {
                    if (room >= kMinMatch) matches_.push_back({static_cast<std::uint16_t>(room), found[k].distance});
                    break;
                }
                matches_.push_back(found[k]);
            }
            if (count > 0 && found[count - 1].length >= o_.longMatch) {
                skipTo = std::min(at + len, pos + found[count - 1].length);
                skipFrom = pos;
            }
        }
        matchAt_[len] = static_cast<std::uint32_t>(matches_.size());
    }

    // The cheapest codes for the stretch under the current prices, into
    // stretchCodes_ and stretchFreq_.
    void parse(std::size_t at, std::size_t len) {
        std::fill(cost_.begin(), cost_.begin() + static_cast<std::ptrdiff_t>(len) + 1, kInfinite);
        cost_[0] = 0;
        for (std::size_t i = 0; i < len; ++i) {
            const std::uint32_t here = cost_[i];
            const std::uint32_t lit = here + charPrice_[d_[at + i]];
            if (lit < cost_[i + 1]) {
                cost_[i + 1] = lit;
                step_[i + 1] = {1, 0};
            }
            int shorter = kMinMatch - 1;
            if (wholeOnly_[i] && matchAt_[i] < matchAt_[i + 1]) shorter = matches_[matchAt_[i]].length - 1;
            for (std::uint32_t k = matchAt_[i]; k < matchAt_[i + 1]; ++k) {
                const MatchCandidate &m = matches_[k];
                const std::uint16_t off = static_cast<std::uint16_t>(m.distance - 1);
                const std::uint32_t base = here + slotPrice_[bitLength(off)];
                const std::uint32_t *lengthPrice = charPrice_.data() + 256 - kMinMatch;
                for (int l = shorter + 1; l <= m.length; ++l) {
                    const std::uint32_t c = base + lengthPrice[l];
                    if (c < cost_[i + static_cast<std::size_t>(l)]) {
                        cost_[i + static_cast<std::size_t>(l)] = c;
                        step_[i + static_cast<std::size_t>(l)] = {static_cast<std::uint16_t>(l), off};
                    }
                }
                shorter = m.length;
            }
        }
        // Walk back from the end, then turn the steps into codes.
        path_.clear();
        for (std::size_t i = len; i > 0; i -= step_[i].length) path_.push_back(step_[i]);
        stretchCodes_.clear();
        stretchFreq_ = Freq{};
        std::size_t pos = at;
        for (auto s = path_.rbegin(); s != path_.rend(); ++s) {
            Code c;
            if (s->length == 1) {
                c = {d_[pos], 0};
            } else {
                c = {static_cast<std::uint16_t>(256 + s->length - kMinMatch), s->off};
                const int k = bitLength(s->off);
                stretchFreq_.p[k]++;
                if (k > 1) stretchFreq_.extraBits += static_cast<std::uint64_t>(k - 1);
            }
            stretchFreq_.c[c.c]++;
            stretchCodes_.push_back(c);
            pos += s->length;
        }
    }

    // Joins the parsed stretch to the open block, or closes that block and
    // opens a new one with it.
    void placeStretch() {
        // The open block's bits are kept from when it last grew; the trees
        // of the block the stretch ends in give the next stretch its prices.
        const std::size_t limit = static_cast<std::size_t>(o_.blockCodes);
        BlockTrees stretchTrees, bothTrees;
        const std::uint64_t stretchBits = blockBits(stretchFreq_, stretchTrees);
        bool join = !openCodes_.empty() && openCodes_.size() + stretchCodes_.size() <= limit;
        if (join) {
            Freq both = open_;
            both.add(stretchFreq_);
            const std::uint64_t bothBits = blockBits(both, bothTrees);
            join = bothBits <= openBits_ + stretchBits;
            if (join) openBits_ = bothBits;
        }
        if (!join) {
            flushOpen();
            openBits_ = stretchBits;
        }
        openCodes_.insert(openCodes_.end(), stretchCodes_.begin(), stretchCodes_.end());
        open_.add(stretchFreq_);
        pricesFrom(join ? bothTrees : stretchTrees);
    }

    void flushOpen() {
        const std::size_t limit = static_cast<std::size_t>(o_.blockCodes);
        for (std::size_t i = 0; i < openCodes_.size(); i += limit)
            writeCodes(bw_, p_, openCodes_.data() + i, std::min(limit, openCodes_.size() - i));
        openCodes_.clear();
        open_ = Freq{};
    }

    const std::uint8_t *d_;
    std::size_t n_, begin_, end_;
    StreamParams p_;
    EncoderOptions o_;
    BitWriter bw_;
    BinaryTreeMatchFinder finder_;
    std::vector<std::uint32_t> matchAt_;   // first match of each position in matches_
    std::vector<std::uint8_t> wholeOnly_;  // 1: the position's one match is taken whole or not at all
    std::vector<MatchCandidate> matches_;
    std::vector<std::uint32_t> cost_;
    std::vector<Step> step_, path_;
    std::array<std::uint32_t, kNC> charPrice_{};
    std::array<std::uint32_t, 32> slotPrice_{};
    std::vector<Code> stretchCodes_, openCodes_;
    Freq stretchFreq_, open_;
    std::uint64_t openBits_ = 0;  // blockBits(open_)
};

}  // namespace

std::uint64_t compressBestPart(const std::uint8_t *data, std::size_t size, std::size_t begin, std::size_t end,
                               Method method, const EncoderOptions &options, std::vector<std::uint8_t> &out) {
    return OptimalEncoder(data, size, begin, end, method, options, out).run();
}

}  // namespace tqen::unlha
