// SZDD codec: round trips over the inputs that stress the format, and a
// strict expander that rejects damaged files.
#include "szdd_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromText(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

Bytes RoundTrip(const Bytes &in)
{
    Bytes packed = szdd::Compress(in.data(), in.size());
    Bytes out;
    const char *why = szdd::Expand(packed.data(), packed.size(), &out);
    EXPECT_EQ(nullptr, why) << (why ? why : "");
    return out;
}

std::vector<Bytes> Inputs()
{
    std::vector<Bytes> inputs;
    inputs.push_back({});
    inputs.push_back({'x'});
    inputs.push_back(FromText("seventeen bytes!!"));
    inputs.push_back(FromText("        leading blanks then text"));
    inputs.push_back(Bytes(5000, ' '));
    inputs.push_back(Bytes(100000, 'a'));
    std::mt19937 rng(12345);
    Bytes random(70000);
    for (auto &b : random)
        b = static_cast<std::uint8_t>(rng());
    inputs.push_back(random);
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "INT. HARBOUR PIER - NIGHT " + std::to_string(i % 37) + "\r\n";
    inputs.push_back(FromText(text));
    for (std::size_t period : {4095u, 4096u, 4097u}) {
        Bytes periodic(3 * period + 50);
        std::mt19937 prng(static_cast<unsigned>(period));
        Bytes unit(period);
        for (auto &b : unit)
            b = static_cast<std::uint8_t>(prng());
        for (std::size_t i = 0; i < periodic.size(); ++i)
            periodic[i] = unit[i % period];
        inputs.push_back(periodic);
    }
    return inputs;
}

TEST(SzddCodec, RoundTripsEveryKindOfInput)
{
    for (const Bytes &in : Inputs())
        EXPECT_EQ(in, RoundTrip(in)) << "input of " << in.size() << " bytes";
}

TEST(SzddCodec, HeaderCarriesSignatureModeAndLength)
{
    Bytes in = FromText("Quillarix");
    Bytes packed = szdd::Compress(in.data(), in.size());
    ASSERT_GE(packed.size(), szdd::kHeaderSize);
    const std::uint8_t header[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0, 9, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(header, packed.data(), sizeof header));
}

TEST(SzddCodec, CompressesRedundantData)
{
    Bytes runs(100000, 'a');
    EXPECT_LT(szdd::Compress(runs.data(), runs.size()).size(), runs.size() / 8);
    // Blanks match the window's initial content from the first byte on.
    Bytes blanks(18, ' ');
    EXPECT_EQ(szdd::kHeaderSize + 3, szdd::Compress(blanks.data(), blanks.size()).size());
}

TEST(SzddCodec, IsDeterministic)
{
    for (const Bytes &in : Inputs())
        EXPECT_EQ(szdd::Compress(in.data(), in.size()), szdd::Compress(in.data(), in.size()));
}

TEST(SzddExpand, RejectsDamagedFiles)
{
    Bytes in = FromText(std::string(300, 'q') + "tail text that is not repeated");
    Bytes packed = szdd::Compress(in.data(), in.size());
    Bytes out;
    // Every truncation of the file is refused, never read past.
    for (std::size_t cb = 0; cb < packed.size(); ++cb) {
        Bytes cut(packed.begin(), packed.begin() + cb);
        EXPECT_NE(nullptr, szdd::Expand(cut.data(), cut.size(), &out)) << cb;
    }
    Bytes badMagic = packed;
    badMagic[3] = 'X';
    EXPECT_NE(nullptr, szdd::Expand(badMagic.data(), badMagic.size(), &out));
    Bytes badMode = packed;
    badMode[8] = 'B';
    EXPECT_NE(nullptr, szdd::Expand(badMode.data(), badMode.size(), &out));
    Bytes shortLength = packed;
    shortLength[10] = static_cast<std::uint8_t>(shortLength[10] - 1);
    EXPECT_NE(nullptr, szdd::Expand(shortLength.data(), shortLength.size(), &out));
    Bytes huge = packed;
    huge[13] = 0x7F;  // claims ~2 GB: refused after decoding, nothing allocated for it
    EXPECT_NE(nullptr, szdd::Expand(huge.data(), huge.size(), &out));
    EXPECT_LT(out.capacity(), 1u << 20);
}

}  // namespace
