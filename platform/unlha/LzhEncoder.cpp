#include "platform/unlha/LzhEncoder.h"

#include "platform/unlha/LzhMatchFinder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <thread>
#include <utility>

namespace tqen::unlha {

namespace {

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t> &out) : out_(out) {}
    // Appends the low `bits` bits of value, most significant first (bits <= 32).
    void put(int bits, std::uint32_t value) {
        if (bits == 0) return;
        acc_ = (acc_ << bits) | (value & ((std::uint64_t{1} << bits) - 1));
        n_ += bits;
        total_ += static_cast<std::uint64_t>(bits);
        while (n_ >= 8) {
            n_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(acc_ >> n_));
        }
    }
    void flush() {
        if (n_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_ << (8 - n_)));
        n_ = 0;
        acc_ = 0;
    }
    // Bits put so far (flushing pads the last byte but does not count).
    std::uint64_t bits() const { return total_; }
    // Appends the first `bits` bits of a stream another writer made.
    void append(const std::vector<std::uint8_t> &stream, std::uint64_t bits) {
        const std::size_t whole = static_cast<std::size_t>(bits / 8);
        for (std::size_t i = 0; i < whole; ++i) put(8, stream[i]);
        if (const int rest = static_cast<int>(bits % 8)) put(rest, static_cast<std::uint32_t>(stream[whole] >> (8 - rest)));
    }

private:
    std::vector<std::uint8_t> &out_;
    std::uint64_t acc_ = 0;
    std::uint64_t total_ = 0;
    int n_ = 0;
};

// Code lengths of a Huffman code over freq[0..n), at most maxBits long and
// complete. Symbols of frequency 0 get length 0. Returns the number of used
// symbols; with fewer than two no lengths are set (the caller writes such a
// tree in its one-symbol form).
int buildLengths(const std::uint32_t *freq, int n, int maxBits, std::uint8_t *len, int *onlySymbol) {
    std::fill(len, len + n, 0);
    std::vector<int> used;
    for (int i = 0; i < n; ++i)
        if (freq[i]) used.push_back(i);
    *onlySymbol = used.empty() ? 0 : used[0];
    if (used.size() < 2) return static_cast<int>(used.size());

    struct Node {
        std::uint64_t weight;
        int left, right;  // children, -1 for a leaf
        int symbol;
    };
    std::vector<Node> nodes;
    nodes.reserve(used.size() * 2);
    // Always the lightest two nodes are joined, lower node numbers first
    // among equal weights: leaves wait in one queue in that order, joined
    // nodes in another, where they arrive in that order already.
    // Sorting the leaves by weight and node number at once keeps them in
    // that order.
    std::vector<std::uint64_t> order;
    order.reserve(used.size());
    for (int s : used) {
        order.push_back(std::uint64_t{freq[s]} << 32 | nodes.size());
        nodes.push_back({freq[s], -1, -1, s});
    }
    std::sort(order.begin(), order.end());
    std::vector<int> leaves(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) leaves[i] = static_cast<int>(order[i] & 0xFFFFFFFFu);
    std::size_t nextLeaf = 0;
    std::size_t nextJoined = used.size();
    auto lightest = [&] {
        const bool leafFirst =
            nextLeaf < leaves.size() &&
            (nextJoined >= nodes.size() || nodes[leaves[nextLeaf]].weight < nodes[nextJoined].weight ||
             (nodes[leaves[nextLeaf]].weight == nodes[nextJoined].weight &&
              leaves[nextLeaf] < static_cast<int>(nextJoined)));
        return leafFirst ? leaves[nextLeaf++] : static_cast<int>(nextJoined++);
    };
    for (std::size_t joins = used.size() - 1; joins > 0; --joins) {
        const int a = lightest();
        const int b = lightest();
        nodes.push_back({nodes[a].weight + nodes[b].weight, a, b, -1});
    }
    // Depths by walking from the root.
    std::vector<std::pair<int, int>> stack{{static_cast<int>(nodes.size()) - 1, 0}};
    while (!stack.empty()) {
        auto [i, d] = stack.back();
        stack.pop_back();
        if (nodes[i].left < 0) {
            len[nodes[i].symbol] = static_cast<std::uint8_t>(std::min(d, 255));
        } else {
            stack.push_back({nodes[i].left, d + 1});
            stack.push_back({nodes[i].right, d + 1});
        }
    }
    // Limit to maxBits and keep the code complete (Kraft sum exactly 1).
    const std::int64_t full = std::int64_t{1} << maxBits;
    std::int64_t kraft = 0;
    bool overLong = false;
    for (int s : used) {
        if (len[s] > maxBits) {
            len[s] = static_cast<std::uint8_t>(maxBits);
            overLong = true;
        }
        kraft += std::int64_t{1} << (maxBits - len[s]);
    }
    if (!overLong) return static_cast<int>(used.size());
    while (kraft > full) {
        int best = -1;
        for (int s : used)
            if (len[s] < maxBits &&
                (best < 0 || len[s] > len[best] || (len[s] == len[best] && freq[s] < freq[best])))
                best = s;
        if (best < 0) break;
        kraft -= std::int64_t{1} << (maxBits - len[best] - 1);
        ++len[best];
    }
    while (kraft < full) {
        int best = -1;
        for (int s : used) {
            if (len[s] <= 1 || (std::int64_t{1} << (maxBits - len[s])) > full - kraft) continue;
            if (best < 0 || len[s] > len[best] || (len[s] == len[best] && freq[s] > freq[best])) best = s;
        }
        if (best < 0) break;
        kraft += std::int64_t{1} << (maxBits - len[best]);
        --len[best];
    }
    return static_cast<int>(used.size());
}

// Canonical codes: shorter codes first, equal lengths in symbol order.
void makeCodes(const std::uint8_t *len, int n, std::uint16_t *code) {
    int count[kMaxCodeBits + 1] = {};
    for (int i = 0; i < n; ++i) count[len[i]]++;
    count[0] = 0;
    std::uint32_t next[kMaxCodeBits + 2] = {};
    std::uint32_t c = 0;
    for (int l = 1; l <= kMaxCodeBits; ++l) {
        c = (c + count[l - 1]) << 1;
        next[l] = c;
    }
    for (int i = 0; i < n; ++i)
        if (len[i]) code[i] = static_cast<std::uint16_t>(next[len[i]]++);
}

int bitLength(unsigned v) { return v == 0 ? 0 : 32 - __builtin_clz(v); }


struct Code {
    std::uint16_t c;    // literal 0-255 or 256 + length - 3
    std::uint16_t off;  // distance - 1 for a match
};

// Counts the bits a block would take instead of writing them.
struct BitCounter {
    std::uint64_t bits = 0;
    void put(int n, std::uint32_t) { bits += static_cast<std::uint64_t>(n); }
};

// The three trees of a block, built from its symbol frequencies.
struct BlockTrees {
    std::array<std::uint8_t, kNC> cLen{};
    std::array<std::uint16_t, kNC> cCode{};
    std::array<std::uint8_t, 32> pLen{};
    std::array<std::uint16_t, 32> pCode{};
    std::array<std::uint8_t, kNT> tLen{};
    std::array<std::uint16_t, kNT> tCode{};
    int cUsed = 0, cOnly = 0, pUsed = 0, pOnly = 0, tUsed = 0, tOnly = 0;
    int cCount = 0;  // char-tree lengths written (trailing zeros dropped)
};

// The char-tree lengths as temp-tree symbols: 0 = one zero length,
// 1 + 4 bits = 3..18 zeros, 2 + 9 bits = 20.. zeros, k + 2 = length k.
template <typename F>
void forEachRun(const std::uint8_t *len, int n, F &&f) {
    int i = 0;
    while (i < n) {
        const int k = len[i++];
        if (k != 0) {
            f(k + 2, 0, 0);
            continue;
        }
        int count = 1;
        while (i < n && len[i] == 0) {
            ++i;
            ++count;
        }
        if (count <= 2) {
            for (int j = 0; j < count; ++j) f(0, 0, 0);
        } else if (count <= 18) {
            f(1, 4, count - 3);
        } else if (count == 19) {
            f(0, 0, 0);
            f(1, 4, 15);
        } else {
            f(2, kCBit, count - 20);
        }
    }
}

void buildTrees(const std::uint32_t *cFreq, const std::uint32_t *pFreq, int np, BlockTrees &t) {
    t.cUsed = buildLengths(cFreq, kNC, kMaxCodeBits, t.cLen.data(), &t.cOnly);
    makeCodes(t.cLen.data(), kNC, t.cCode.data());
    t.pUsed = buildLengths(pFreq, np, kMaxCodeBits, t.pLen.data(), &t.pOnly);
    makeCodes(t.pLen.data(), np, t.pCode.data());
    t.tUsed = 0;
    t.cCount = 0;
    if (t.cUsed < 2) return;
    int n = kNC;
    while (n > 0 && t.cLen[n - 1] == 0) --n;
    t.cCount = n;
    std::array<std::uint32_t, kNT> tFreq{};
    forEachRun(t.cLen.data(), n, [&](int sym, int, int) { tFreq[sym]++; });
    t.tUsed = buildLengths(tFreq.data(), kNT, kMaxCodeBits, t.tLen.data(), &t.tOnly);
    makeCodes(t.tLen.data(), kNT, t.tCode.data());
}

// A tree's lengths in the temp-tree form: count, then 3-bit lengths with
// a unary extension, and after the `special`-th length a 2-bit count of
// zero lengths skipped.
template <typename Out>
void writePtLen(Out &bw, const std::uint8_t *len, int n, int nbit, int special) {
    while (n > 0 && len[n - 1] == 0) --n;
    bw.put(nbit, static_cast<std::uint32_t>(n));
    int i = 0;
    while (i < n) {
        const int k = len[i++];
        if (k <= 6) bw.put(3, static_cast<std::uint32_t>(k));
        else bw.put(k - 3, (1u << (k - 3)) - 2);
        if (i == special) {
            while (i < 6 && i < n && len[i] == 0) ++i;
            bw.put(2, static_cast<std::uint32_t>((i - 3) & 3));
        }
    }
}

// The block head after its 16-bit code count: the temp, char and position trees.
template <typename Out>
void writeTrees(Out &bw, const StreamParams &p, const BlockTrees &t) {
    if (t.cUsed < 2) {
        bw.put(kTBit, 0);
        bw.put(kTBit, 0);
        bw.put(kCBit, 0);
        bw.put(kCBit, static_cast<std::uint32_t>(t.cOnly));
    } else {
        if (t.tUsed < 2) {
            bw.put(kTBit, 0);
            bw.put(kTBit, static_cast<std::uint32_t>(t.tOnly));
        } else {
            writePtLen(bw, t.tLen.data(), kNT, kTBit, 3);
        }
        bw.put(kCBit, static_cast<std::uint32_t>(t.cCount));
        forEachRun(t.cLen.data(), t.cCount, [&](int sym, int extraBits, int extra) {
            bw.put(t.tLen[sym], t.tCode[sym]);
            bw.put(extraBits, static_cast<std::uint32_t>(extra));
        });
    }
    if (t.pUsed < 2) {
        bw.put(p.pbit, 0);
        bw.put(p.pbit, static_cast<std::uint32_t>(t.pOnly));
    } else {
        writePtLen(bw, t.pLen.data(), p.np, p.pbit, -1);
    }
}

// Writes codes[0..n) as one block (n between 1 and 65,535).
void writeCodes(BitWriter &bw, const StreamParams &p, const Code *codes, std::size_t n) {
    std::array<std::uint32_t, kNC> cFreq{};
    std::array<std::uint32_t, 32> pFreq{};
    for (std::size_t i = 0; i < n; ++i) {
        cFreq[codes[i].c]++;
        if (codes[i].c >= 256) pFreq[bitLength(codes[i].off)]++;
    }
    BlockTrees t;
    buildTrees(cFreq.data(), pFreq.data(), p.np, t);
    bw.put(16, static_cast<std::uint32_t>(n));
    writeTrees(bw, p, t);
    for (std::size_t i = 0; i < n; ++i) {
        const Code &c = codes[i];
        bw.put(t.cLen[c.c], t.cCode[c.c]);
        if (c.c >= 256) {
            const int k = bitLength(c.off);
            bw.put(t.pLen[k], t.pCode[k]);
            if (k > 1) bw.put(k - 1, c.off & ((1u << (k - 1)) - 1));
        }
    }
}

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
        BitCounter count;
        count.put(16, 0);
        writeTrees(count, p_, t);
        std::uint64_t bits = count.bits + f.extraBits;
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

// Best splits inputs of twice this size or more into parts coded on their
// own threads: a part starts new blocks and a first parse with default
// prices, which costs a few hundred bytes, but its matches still reach
// into the part before it.
constexpr std::size_t kBytesPerPart = 256 * 1024;
constexpr std::size_t kMaxParts = 8;

}  // namespace

std::vector<std::uint8_t> huffmanLengths(const std::vector<std::uint32_t> &freq, int maxBits) {
    std::vector<std::uint8_t> len(freq.size());
    int only = 0;
    if (buildLengths(freq.data(), static_cast<int>(freq.size()), maxBits, len.data(), &only) == 1) len[only] = 0;
    return len;
}

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
        OptimalEncoder(data, size, 0, size, method, o, out).run();
        return out;
    }
    std::vector<std::vector<std::uint8_t>> streams(parts);
    std::vector<std::uint64_t> bits(parts);
    auto code = [&](std::size_t k) {
        const std::size_t begin = size * k / parts, end = size * (k + 1) / parts;
        streams[k].reserve((end - begin) / 4 + 64);
        bits[k] = OptimalEncoder(data, size, begin, end, method, o, streams[k]).run();
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
