#include "platform/unlha/LzhBlockWriter.h"

#include <algorithm>
#include <utility>

#include "platform/unlha/LzhEncoder.h"

namespace tqen::unlha {

namespace {

// Counts the bits a block would take instead of writing them.
struct BitCounter {
    std::uint64_t bits = 0;
    void put(int n, std::uint32_t) { bits += static_cast<std::uint64_t>(n); }
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

}  // namespace

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

std::uint64_t blockHeadBits(const StreamParams &p, const BlockTrees &t) {
    BitCounter count;
    count.put(16, 0);
    writeTrees(count, p, t);
    return count.bits;
}

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

std::vector<std::uint8_t> huffmanLengths(const std::vector<std::uint32_t> &freq, int maxBits) {
    std::vector<std::uint8_t> len(freq.size());
    int only = 0;
    if (buildLengths(freq.data(), static_cast<int>(freq.size()), maxBits, len.data(), &only) == 1) len[only] = 0;
    return len;
}

}  // namespace tqen::unlha
