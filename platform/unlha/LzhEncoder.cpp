#include "platform/unlha/LzhEncoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <queue>
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

private:
    std::vector<std::uint8_t> &out_;
    std::uint64_t acc_ = 0;
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
    using Entry = std::pair<std::uint64_t, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
    for (int s : used) {
        nodes.push_back({freq[s], -1, -1, s});
        heap.push({freq[s], static_cast<int>(nodes.size()) - 1});
    }
    while (heap.size() > 1) {
        auto a = heap.top();
        heap.pop();
        auto b = heap.top();
        heap.pop();
        nodes.push_back({a.first + b.first, a.second, b.second, -1});
        heap.push({a.first + b.first, static_cast<int>(nodes.size()) - 1});
    }
    // Depths by walking from the root.
    std::vector<std::pair<int, int>> stack{{heap.top().second, 0}};
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

    static int matchLength(const std::uint8_t *a, const std::uint8_t *b, int maxLen) {
        int l = 0;
        while (l + 8 <= maxLen) {
            std::uint64_t x, y;
            std::memcpy(&x, a + l, 8);
            std::memcpy(&y, b + l, 8);
            if (const std::uint64_t diff = x ^ y) return l + (__builtin_ctzll(diff) >> 3);
            l += 8;
        }
        while (l < maxLen && a[l] == b[l]) ++l;
        return l;
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
                const int l = matchLength(m, cur, maxLen);
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

    // A tree's lengths in the temp-tree form: count, then 3-bit lengths with
    // a unary extension, and after the `special`-th length a 2-bit count of
    // zero lengths skipped.
    void writePtLen(const std::uint8_t *len, int n, int nbit, int special) {
        while (n > 0 && len[n - 1] == 0) --n;
        bw_.put(nbit, static_cast<std::uint32_t>(n));
        int i = 0;
        while (i < n) {
            const int k = len[i++];
            if (k <= 6) bw_.put(3, static_cast<std::uint32_t>(k));
            else bw_.put(k - 3, (1u << (k - 3)) - 2);
            if (i == special) {
                while (i < 6 && i < n && len[i] == 0) ++i;
                bw_.put(2, static_cast<std::uint32_t>((i - 3) & 3));
            }
        }
    }

    void writeBlock() {
        std::array<std::uint32_t, kNC> cFreq{};
        std::array<std::uint32_t, 32> pFreq{};
        for (const Code &c : codes_) {
            cFreq[c.c]++;
            if (c.c >= 256) pFreq[bitLength(c.off)]++;
        }
        std::array<std::uint8_t, kNC> cLen{};
        std::array<std::uint16_t, kNC> cCode{};
        int cOnly = 0;
        const int cUsed = buildLengths(cFreq.data(), kNC, kMaxCodeBits, cLen.data(), &cOnly);
        makeCodes(cLen.data(), kNC, cCode.data());

        std::array<std::uint8_t, 32> pLen{};
        std::array<std::uint16_t, 32> pCode{};
        int pOnly = 0;
        const int pUsed = buildLengths(pFreq.data(), p_.np, kMaxCodeBits, pLen.data(), &pOnly);
        makeCodes(pLen.data(), p_.np, pCode.data());

        bw_.put(16, static_cast<std::uint32_t>(codes_.size()));
        if (cUsed < 2) {
            bw_.put(kTBit, 0);
            bw_.put(kTBit, 0);
            bw_.put(kCBit, 0);
            bw_.put(kCBit, static_cast<std::uint32_t>(cOnly));
        } else {
            int n = kNC;
            while (n > 0 && cLen[n - 1] == 0) --n;
            std::array<std::uint32_t, kNT> tFreq{};
            forEachRun(cLen.data(), n, [&](int sym, int, int) { tFreq[sym]++; });
            std::array<std::uint8_t, kNT> tLen{};
            std::array<std::uint16_t, kNT> tCode{};
            int tOnly = 0;
            const int tUsed = buildLengths(tFreq.data(), kNT, kMaxCodeBits, tLen.data(), &tOnly);
            makeCodes(tLen.data(), kNT, tCode.data());
            if (tUsed < 2) {
                bw_.put(kTBit, 0);
                bw_.put(kTBit, static_cast<std::uint32_t>(tOnly));
            } else {
                writePtLen(tLen.data(), kNT, kTBit, 3);
            }
            bw_.put(kCBit, static_cast<std::uint32_t>(n));
            forEachRun(cLen.data(), n, [&](int sym, int extraBits, int extra) {
                bw_.put(tLen[sym], tCode[sym]);
                bw_.put(extraBits, static_cast<std::uint32_t>(extra));
            });
        }
        if (pUsed < 2) {
            bw_.put(p_.pbit, 0);
            bw_.put(p_.pbit, static_cast<std::uint32_t>(pOnly));
        } else {
            writePtLen(pLen.data(), p_.np, p_.pbit, -1);
        }
        for (const Code &c : codes_) {
            bw_.put(cLen[c.c], cCode[c.c]);
            if (c.c >= 256) {
                const int k = bitLength(c.off);
                bw_.put(pLen[k], pCode[k]);
                if (k > 1) bw_.put(k - 1, c.off & ((1u << (k - 1)) - 1));
            }
        }
        codes_.clear();
    }

    // The char-tree lengths as temp-tree symbols: 0 = one zero length,
    // 1 + 4 bits = 3..18 zeros, 2 + 9 bits = 20.. zeros, k + 2 = length k.
    template <typename F>
    static void forEachRun(const std::uint8_t *len, int n, F &&f) {
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

    const std::uint8_t *d_;
    std::size_t n_;
    StreamParams p_;
    EncoderOptions o_;
    BitWriter bw_;
    std::size_t window_ = 0, maxDist_ = 0;
    std::vector<std::int32_t> head_, prev_;
    std::vector<Code> codes_;
};

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
    o.blockCodes = std::clamp(o.blockCodes, 1, 65535);
    o.niceLength = std::clamp(o.niceLength, kMinMatch, kMaxMatch);
    Encoder(data, size, method, o, out).run();
    return out;
}

}  // namespace tqen::unlha
