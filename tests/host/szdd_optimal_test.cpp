// The encoder's output is as small as an SZDD file can be: compared with a
// brute-force optimum that tries every window slot and every length by
// simulating the decoder, then takes the cheapest parse.
#include "szdd_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Length of the longest match (at most 18, at most what is left) that the
// decoder, with the window it has before data[p], would copy correctly.
std::size_t BruteLongestMatch(const std::uint8_t window[4096], std::size_t write,
                              const Bytes &data, std::size_t p)
{
    std::size_t limit = std::min<std::size_t>(18, data.size() - p), longest = 0;
    for (std::size_t slot = 0; slot < 4096; ++slot) {
        std::size_t len = 0;
        for (; len < limit; ++len) {
            std::size_t from = (slot + len) & 0xFFF;
            // A slot written earlier in this same match holds the copied byte.
            std::size_t j = (from - write) & 0xFFF;
            std::uint8_t c = j < len ? data[p + j] : window[from];
            if (c != data[p + len])
                break;
        }
        longest = std::max(longest, len);
    }
    return longest >= 3 ? longest : 0;
}

std::size_t BruteForceOptimalSize(const Bytes &data)
{
    std::uint8_t window[4096];
    std::fill(window, window + 4096, ' ');
    std::size_t write = 4080;
    std::vector<std::size_t> longest(data.size());
    for (std::size_t p = 0; p < data.size(); ++p) {
        longest[p] = BruteLongestMatch(window, write, data, p);
        window[write] = data[p];
        write = (write + 1) & 0xFFF;
    }
    std::vector<std::size_t> bits(data.size() + 1, 0);
    for (std::size_t p = data.size(); p-- > 0;) {
        bits[p] = bits[p + 1] + 9;
        for (std::size_t len = 3; len <= longest[p]; ++len)
            bits[p] = std::min(bits[p], bits[p + len] + 17);
    }
    return 14 + (bits[0] + 7) / 8;
}

std::vector<Bytes> SmallInputs()
{
    std::vector<Bytes> inputs;
    std::mt19937 rng(4242);
    inputs.push_back({});
    for (std::size_t cb = 1; cb <= 20; ++cb) {
        Bytes random(cb), twoLetters(cb);
        for (std::size_t i = 0; i < cb; ++i) {
            random[i] = static_cast<std::uint8_t>(rng());
            twoLetters[i] = "ab"[rng() % 2];
        }
        inputs.push_back(random);
        inputs.push_back(twoLetters);
        inputs.push_back(Bytes(cb, ' '));
        inputs.push_back(Bytes(cb, 'z'));
    }
    Bytes leading(40, ' ');
    leading.insert(leading.end(), {'F', 'A', 'D', 'E', ' ', ' ', ' ', 'I', 'N'});
    inputs.push_back(leading);
    inputs.push_back(Bytes(5000, ' '));
    Bytes runs;
    for (int i = 0; i < 60; ++i)
        runs.insert(runs.end(), 1 + rng() % 40, static_cast<std::uint8_t>('a' + rng() % 3));
    inputs.push_back(runs);
    for (int k = 0; k < 20; ++k) {
        Bytes text(200 + rng() % 600);
        for (auto &c : text)
            c = static_cast<std::uint8_t>("abc \n"[rng() % 5]);
        inputs.push_back(text);
    }
    for (std::size_t period : {4095u, 4096u, 4097u}) {
        Bytes unit(period);
        for (auto &c : unit)
            c = static_cast<std::uint8_t>(rng());
        Bytes periodic;
        for (int r = 0; r < 2; ++r)
            periodic.insert(periodic.end(), unit.begin(), unit.end());
        periodic.resize(periodic.size() + 30, 'x');
        inputs.push_back(periodic);
    }
    return inputs;
}

TEST(SzddOptimal, EqualsTheBruteForceOptimumOnSmallInputs)
{
    for (const Bytes &in : SmallInputs()) {
        Bytes packed = szdd::Compress(in.data(), in.size());
        EXPECT_EQ(BruteForceOptimalSize(in), packed.size()) << "input of " << in.size() << " bytes";
        Bytes out;
        ASSERT_EQ(nullptr, szdd::Expand(packed.data(), packed.size(), &out));
        EXPECT_EQ(in, out);
    }
}

TEST(SzddOptimal, EndsExactlyWithUnusedFlagBitsZero)
{
    // 9 literals: a flag byte with one bit used ends the stream; no spare items.
    Bytes in = {'Q', 'U', 'I', 'L', 'L', 'A', 'R', 'I', 'X'};
    Bytes packed = szdd::Compress(in.data(), in.size());
    ASSERT_EQ(14u + 1 + 8 + 1 + 1, packed.size());
    EXPECT_EQ(0xFF, packed[14]);
    EXPECT_EQ(0x01, packed[23]);  // the second flag byte: one literal, the rest 0
}

}  // namespace
