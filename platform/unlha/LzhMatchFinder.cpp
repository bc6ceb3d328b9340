#include "platform/unlha/LzhMatchFinder.h"

#include <algorithm>
#include <cstring>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

BinaryTreeMatchFinder::BinaryTreeMatchFinder(const std::uint8_t *data, std::size_t size, int dictBits, int depth)
    : d_(data), n_(size), depth_(std::max(depth, 1)), skipDepth_(std::clamp(depth / 3, 1, 16)) {
    const std::size_t window = std::size_t{1} << dictBits;
    mask_ = window - 1;
    maxDist_ = window - 1;
    head_.assign(std::size_t{1} << kHashBits, -1);
    left_.assign(window, -1);
    right_.assign(window, -1);
}

template <bool Report>
int BinaryTreeMatchFinder::walk(std::size_t pos, MatchCandidate *out, int maxDepth) {
    const int maxLen = static_cast<int>(std::min<std::size_t>(kMaxMatch, n_ - pos));
    if (maxLen < kMinMatch) return 0;
    const std::uint8_t *p = d_ + pos;
    const std::uint32_t h = hashOf(p);
    // The next position's tree head is fetched into the cache meanwhile.
    if (maxLen > kMinMatch) __builtin_prefetch(&head_[hashOf(p + 1)], 1);
    std::int32_t cur = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
    std::int32_t *smaller = &left_[pos & mask_];  // where the next node below pos's string goes
    std::int32_t *larger = &right_[pos & mask_];
    // Near the end of the data strings are cut short and the order of the
    // tree is no longer exact there, so lengths are then compared from the start.
    const bool exact = maxLen == kMaxMatch;
    int lenSmaller = 0, lenLarger = 0, best = kMinMatch - 1, found = 0;
    for (int depth = maxDepth;; --depth) {
        if (cur < 0 || pos - static_cast<std::size_t>(cur) > maxDist_ || depth == 0) {
            *smaller = -1;
            *larger = -1;
            break;
        }
        const std::uint8_t *m = d_ + cur;
        int len = exact ? std::min(lenSmaller, lenLarger) : 0;
        len += commonLength(m + len, p + len, maxLen - len);
        if (Report && len > best) {
            best = len;
            out[found++] = {static_cast<std::uint16_t>(len), static_cast<std::uint32_t>(pos - static_cast<std::size_t>(cur))};
        }
        const std::size_t slot = static_cast<std::size_t>(cur) & mask_;
        if (len >= maxLen) {
            // The same string: pos takes cur's place with its subtrees.
            *smaller = left_[slot];
            *larger = right_[slot];
            break;
        }
        if (m[len] < p[len]) {
            *smaller = cur;
            smaller = &right_[slot];
            cur = *smaller;
            lenSmaller = len;
        } else {
            *larger = cur;
            larger = &left_[slot];
            cur = *larger;
            lenLarger = len;
        }
    }
    return found;
}

template int BinaryTreeMatchFinder::walk<true>(std::size_t, MatchCandidate *, int);
template int BinaryTreeMatchFinder::walk<false>(std::size_t, MatchCandidate *, int);

}  // namespace tqen::unlha
