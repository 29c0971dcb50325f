// SZDD encoder and strict decoder.
//
// The encoder treats the input as 4096 blanks followed by the data (the
// decoder's window starts as blanks), finds the longest match at each
// position, and picks literals and matches by a shortest-path pass. Items
// cost 9 bits (literal) and 17 bits (match) whatever the offset, and the
// file's size is the header plus the items' bits rounded up to bytes, so the
// shortest path is the smallest file.
#include "szdd_codec.h"

#include <algorithm>
#include <cstring>

namespace szdd {
namespace {

constexpr std::size_t kWindow = 4096;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::size_t kFirstSlot = 4080;
constexpr std::uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr unsigned kHashBits = 14;

unsigned Hash3(const std::uint8_t *p)
{
    std::uint32_t v = (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

void PutLength(std::uint8_t *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> Compress(const std::uint8_t *data, std::size_t cb)
{
    // v: the virtual stream; v[kWindow + i] is data[i].
    std::vector<std::uint8_t> v(kWindow + cb, ' ');
    if (cb)
        std::memcpy(v.data() + kWindow, data, cb);
    const std::size_t n = v.size();

    // Longest match at every data position, from binary trees of the
    // window's positions (one tree per 3-byte hash, ordered by the bytes
    // that follow, as in LZMA's BT match finder, without a depth limit).
    // Each node lives in slot pos % kCyclic; kCyclic is one more than the
    // window so that a match at distance exactly 4096 keeps its node.
    constexpr std::size_t kCyclic = kWindow + 1;
    std::vector<std::int32_t> head(std::size_t(1) << kHashBits, -1);
    std::vector<std::int32_t> son(2 * kCyclic, -1);
    std::vector<std::uint8_t> matchLen(cb, 0);
    std::vector<std::uint32_t> matchFrom(cb, 0);

    for (std::size_t pos = 0; pos + kMinMatch <= n; ++pos) {
        const std::size_t limit = std::min(kMaxMatch, n - pos);
        const unsigned h = Hash3(&v[pos]);
        std::int32_t cur = head[h];
        head[h] = static_cast<std::int32_t>(pos);
        std::int32_t *ptr1 = &son[2 * (pos % kCyclic)];      // subtree of smaller strings
        std::int32_t *ptr0 = &son[2 * (pos % kCyclic) + 1];  // subtree of larger strings
        std::size_t len0 = 0, len1 = 0, best = 0, bestFrom = 0;
        for (;;) {
            if (cur < 0 || pos - std::size_t(cur) > kWindow) {
                *ptr0 = *ptr1 = -1;
                break;
            }
            std::int32_t *pair = &son[2 * (std::size_t(cur) % kCyclic)];
            std::size_t len = std::min(len0, len1);
            const std::uint8_t *a = &v[cur], *b = &v[pos];
            if (a[len] == b[len]) {
                while (++len < limit && a[len] == b[len]) {
                }
                if (len > best) {
                    best = len;
                    bestFrom = std::size_t(cur);
                }
                if (len == limit) {  // the new node takes the old one's place
                    *ptr1 = pair[0];
                    *ptr0 = pair[1];
                    break;
                }
            }
            if (a[len] < b[len]) {
                *ptr1 = cur;
                ptr1 = &pair[1];
                cur = *ptr1;
                len1 = len;
            } else {
                *ptr0 = cur;
                ptr0 = &pair[0];
                cur = *ptr0;
                len0 = len;
            }
        }
        if (pos >= kWindow && best >= kMinMatch) {
            matchLen[pos - kWindow] = static_cast<std::uint8_t>(best);
            matchFrom[pos - kWindow] = static_cast<std::uint32_t>(bestFrom);
        }
    }

    // Shortest path from each position to the end, in bits.
    std::vector<std::uint64_t> cost(cb + 1, 0);
    std::vector<std::uint8_t> take(cb, 1);
    for (std::size_t p = cb; p-- > 0;) {
        cost[p] = cost[p + 1] + 9;
        take[p] = 1;
        for (std::size_t len = kMinMatch; len <= matchLen[p]; ++len) {
            std::uint64_t c = cost[p + len] + 17;
            if (c < cost[p]) {
                cost[p] = c;
                take[p] = static_cast<std::uint8_t>(len);
            }
        }
    }

    std::vector<std::uint8_t> out(kHeaderSize);
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    out[8] = 'A';
    out[9] = 0;
    PutLength(&out[10], static_cast<std::uint32_t>(cb));

    std::size_t flagAt = 0;
    unsigned items = 0;
    for (std::size_t p = 0; p < cb;) {
        if (items % 8 == 0) {
            flagAt = out.size();
            out.push_back(0);
        }
        std::size_t len = take[p];
        if (len == 1) {
            out[flagAt] |= static_cast<std::uint8_t>(1u << (items % 8));
            out.push_back(data[p]);
        } else {
            std::size_t slot = (matchFrom[p] + kFirstSlot) & (kWindow - 1);
            out.push_back(static_cast<std::uint8_t>(slot & 0xFF));
            out.push_back(static_cast<std::uint8_t>(((slot >> 4) & 0xF0) | (len - kMinMatch)));
        }
        ++items;
        p += len;
    }
    return out;
}

const char *Expand(const std::uint8_t *in, std::size_t cb, std::vector<std::uint8_t> *out)
{
    out->clear();
    if (cb < kHeaderSize)
        return "truncated header: an SZDD file has at least 14 bytes";
    if (std::memcmp(in, kMagic, sizeof kMagic) != 0)
        return "not an SZDD file: wrong signature";
    if (in[8] != 'A')
        return "unknown compression mode (only 'A' exists)";
    std::uint32_t expected = std::uint32_t(in[10]) | (std::uint32_t(in[11]) << 8) |
                             (std::uint32_t(in[12]) << 16) | (std::uint32_t(in[13]) << 24);

    std::uint8_t window[kWindow];
    std::memset(window, ' ', sizeof window);
    std::size_t slot = kFirstSlot;
    std::size_t at = kHeaderSize;
    // Grow with the data actually decoded, not with the header's claim.
    out->reserve(std::min<std::size_t>(expected, cb * 9));
    while (at < cb) {
        unsigned flags = in[at++];
        for (int bit = 0; bit < 8 && at < cb; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (out->size() >= expected)
                    return "data longer than the length in the header";
                window[slot] = in[at++];
                out->push_back(window[slot]);
                slot = (slot + 1) & (kWindow - 1);
            } else {
                if (at + 1 >= cb)
                    return "truncated: the data end inside a match";
                std::size_t from = in[at] | (std::size_t(in[at + 1] & 0xF0) << 4);
                std::size_t len = (in[at + 1] & 0x0F) + kMinMatch;
                at += 2;
                for (std::size_t i = 0; i < len; ++i) {
                    if (out->size() >= expected)
                        return "data longer than the length in the header";
                    std::uint8_t c = window[(from + i) & (kWindow - 1)];
                    window[slot] = c;
                    out->push_back(c);
                    slot = (slot + 1) & (kWindow - 1);
                }
            }
        }
    }
    if (out->size() != expected)
        return "truncated: fewer bytes than the length in the header";
    return nullptr;
}

}  // namespace szdd
