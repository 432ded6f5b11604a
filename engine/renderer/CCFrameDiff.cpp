#include "renderer/CCFrameDiff.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "renderer/CCDamageRegion.h"

namespace cocos2d {

namespace {

uint64_t hashOf(const ScreenQuad& item)
{
    if (item.hashed) return item.hash;
    uint64_t h = hashMix(item.serial, item.version);
    h = hashMix(h, uint64_t(uint32_t(item.clip.x)) << 32 | uint32_t(item.clip.y));
    h = hashMix(h, uint64_t(uint32_t(item.clip.w)) << 32 | uint32_t(item.clip.h));
    uint64_t words[sizeof(item.v) / 8];
    std::memcpy(words, item.v, sizeof(words));
    for (uint64_t w : words) h = hashMix(h, w);
    item.hash = h;
    item.hashed = true;
    return h;
}

// Matching: equal runs at both ends, then quads that occur once in each
// list as anchors (their longest run in the same order), and the same again
// between anchors.
void diff(const std::vector<ScreenQuad>& before, const std::vector<ScreenQuad>& after, size_t a0, size_t a1, size_t b0,
          size_t b1, int depth, DamageRegion& damage)
{
    while (a0 < a1 && b0 < b1 && sameDrawing(before[a0], after[b0])) {
        ++a0;
        ++b0;
    }
    while (a0 < a1 && b0 < b1 && sameDrawing(before[a1 - 1], after[b1 - 1])) {
        --a1;
        --b1;
    }
    auto damageAll = [&] {
        for (size_t a = a0; a < a1; ++a) damage.add(before[a].bounds);
        for (size_t b = b0; b < b1; ++b) damage.add(after[b].bounds);
    };
    if (a0 == a1 || b0 == b1 || depth >= 3) {
        damageAll();
        return;
    }
    // hash -> (count, last index) on each side
    std::unordered_map<uint64_t, std::pair<int, size_t>> once;
    once.reserve((a1 - a0) * 2);
    for (size_t a = a0; a < a1; ++a) {
        auto& entry = once[hashOf(before[a])];
        ++entry.first;
        entry.second = a;
    }
    std::unordered_map<uint64_t, std::pair<int, size_t>> onceAfter;
    onceAfter.reserve((b1 - b0) * 2);
    for (size_t b = b0; b < b1; ++b) {
        auto& entry = onceAfter[hashOf(after[b])];
        ++entry.first;
        entry.second = b;
    }
    std::vector<std::pair<size_t, size_t>> pairs; // (before, after), in after's order
    for (size_t b = b0; b < b1; ++b) {
        uint64_t h = hashOf(after[b]);
        if (onceAfter[h].first != 1) continue;
        auto it = once.find(h);
        if (it == once.end() || it->second.first != 1) continue;
        if (sameDrawing(before[it->second.second], after[b])) pairs.emplace_back(it->second.second, b);
    }
    if (pairs.empty()) {
        damageAll();
        return;
    }
    // Longest run of pairs increasing in `before` as well (patience sorting).
    std::vector<size_t> tails; // index into pairs of the smallest tail of each length
    std::vector<size_t> previous(pairs.size(), SIZE_MAX);
    for (size_t i = 0; i < pairs.size(); ++i) {
        auto pos = std::lower_bound(tails.begin(), tails.end(), pairs[i].first,
                                    [&](size_t t, size_t value) { return pairs[t].first < value; });
        if (pos != tails.begin()) previous[i] = *(pos - 1);
        if (pos == tails.end()) {
            tails.push_back(i);
        } else {
            *pos = i;
        }
    }
    std::vector<std::pair<size_t, size_t>> anchors;
    for (size_t i = tails.back(); i != SIZE_MAX; i = previous[i]) anchors.push_back(pairs[i]);
    std::reverse(anchors.begin(), anchors.end());
    size_t a = a0, b = b0;
    for (const auto& anchor : anchors) {
        diff(before, after, a, anchor.first, b, anchor.second, depth + 1, damage);
        a = anchor.first + 1;
        b = anchor.second + 1;
    }
    diff(before, after, a, a1, b, b1, depth + 1, damage);
}

} // namespace

void diffFrames(const std::vector<ScreenQuad>& before, const std::vector<ScreenQuad>& after, DamageRegion& damage)
{
    diff(before, after, 0, before.size(), 0, after.size(), 0, damage);
}

} // namespace cocos2d
