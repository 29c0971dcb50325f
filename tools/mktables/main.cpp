// mktables: builds the application's binary lookup tables from the spelling
// dictionary and the thesaurus source, deterministically.
//   mktables main.dct thesaurus.txt OUTDIR
// Writes, all little-endian:
//   bucket.bin  "QXBK", bucket count, word count, then per bucket the index
//               of its first word and, in bucket order, the index of each
//               dictionary word (FNV-1a hash of the word modulo the buckets)
//   table1.bin  "QXT1", then for each two-letter prefix aa..zz the index of
//               the first dictionary word with it and how many there are
//   table2.bin  "QXT2", entry count, then (4-byte Soundex code, word index)
//               sorted by code: the index for spelling suggestions
//   thes.bin    "QXTH", entry count, then per entry the offset of the head
//               word and of its synonym list in the string pool that follows
#include "../common/fileio.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((v >> (8 * i)) & 0xFF);
}

void PutTag(Bytes &out, const char *tag)
{
    out.insert(out.end(), tag, tag + 4);
}

bool ReadLines(const char *path, std::vector<std::string> *lines)
{
    std::FILE *f = std::fopen(path, "r");
    if (!f)
        return false;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, f)) {
        buffer[std::strcspn(buffer, "\r\n")] = '\0';
        lines->push_back(buffer);
    }
    std::fclose(f);
    return true;
}

std::uint32_t Fnv1a(const std::string &word)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : word)
        h = (h ^ c) * 16777619u;
    return h;
}

std::string Soundex(const std::string &word)
{
    static const char kCodes[] = "01230120022455012623010202";  // a..z
    std::string code(1, static_cast<char>(word[0] - 'a' + 'A'));
    char last = kCodes[word[0] - 'a'];
    for (std::size_t i = 1; i < word.size() && code.size() < 4; ++i) {
        char c = word[i];
        if (c < 'a' || c > 'z')
            continue;
        char digit = kCodes[c - 'a'];
        if (digit != '0' && digit != last)
            code.push_back(digit);
        if (c != 'h' && c != 'w')
            last = digit;
    }
    code.resize(4, '0');
    return code;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: mktables main.dct thesaurus.txt OUTDIR\n");
        return 2;
    }
    std::vector<std::string> words, thesaurus;
    if (!ReadLines(argv[1], &words) || !ReadLines(argv[2], &thesaurus)) {
        std::fprintf(stderr, "mktables: cannot read the inputs\n");
        return 1;
    }
    words.erase(std::remove_if(words.begin(), words.end(),
                               [](const std::string &w) {
                                   return w.empty() || w[0] < 'a' || w[0] > 'z';
                               }),
                words.end());
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    const std::uint32_t count = static_cast<std::uint32_t>(words.size());
    const std::string dir = argv[3];

    const std::uint32_t buckets = 4099;
    std::vector<std::vector<std::uint32_t>> chains(buckets);
    for (std::uint32_t i = 0; i < count; ++i)
        chains[Fnv1a(words[i]) % buckets].push_back(i);
    Bytes bucket;
    PutTag(bucket, "QXBK");
    Put32(bucket, buckets);
    Put32(bucket, count);
    std::uint32_t first = 0;
    for (const auto &chain : chains) {
        Put32(bucket, first);
        first += static_cast<std::uint32_t>(chain.size());
    }
    for (const auto &chain : chains)
        for (std::uint32_t i : chain)
            Put32(bucket, i);

    Bytes table1;
    PutTag(table1, "QXT1");
    for (char a = 'a'; a <= 'z'; ++a)
        for (char b = 'a'; b <= 'z'; ++b) {
            std::string prefix{a, b};
            auto lo = std::lower_bound(words.begin(), words.end(), prefix);
            auto hi = lo;
            while (hi != words.end() && hi->compare(0, 2, prefix) == 0)
                ++hi;
            Put32(table1, static_cast<std::uint32_t>(lo - words.begin()));
            Put32(table1, static_cast<std::uint32_t>(hi - lo));
        }

    std::vector<std::pair<std::string, std::uint32_t>> sounds;
    for (std::uint32_t i = 0; i < count; ++i)
        sounds.emplace_back(Soundex(words[i]), i);
    std::sort(sounds.begin(), sounds.end());
    Bytes table2;
    PutTag(table2, "QXT2");
    Put32(table2, count);
    for (const auto &s : sounds) {
        table2.insert(table2.end(), s.first.begin(), s.first.end());
        Put32(table2, s.second);
    }

    // Thesaurus lines: "head: synonym, synonym, ..."
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string &line : thesaurus) {
        if (line.empty() || line[0] == '#')
            continue;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            std::fprintf(stderr, "mktables: thesaurus line without a colon: %s\n", line.c_str());
            return 1;
        }
        std::size_t start = line.find_first_not_of(' ', colon + 1);
        entries.emplace_back(line.substr(0, colon),
                             start == std::string::npos ? "" : line.substr(start));
    }
    std::sort(entries.begin(), entries.end());
    Bytes pool;
    Bytes thes;
    PutTag(thes, "QXTH");
    Put32(thes, static_cast<std::uint32_t>(entries.size()));
    for (const auto &e : entries) {
        Put32(thes, static_cast<std::uint32_t>(pool.size()));
        pool.insert(pool.end(), e.first.begin(), e.first.end());
        pool.push_back(0);
        Put32(thes, static_cast<std::uint32_t>(pool.size()));
        pool.insert(pool.end(), e.second.begin(), e.second.end());
        pool.push_back(0);
    }
    thes.insert(thes.end(), pool.begin(), pool.end());

    if (!WriteWholeFile(dir + "/bucket.bin", bucket) || !WriteWholeFile(dir + "/table1.bin", table1) ||
        !WriteWholeFile(dir + "/table2.bin", table2) || !WriteWholeFile(dir + "/thes.bin", thes)) {
        std::fprintf(stderr, "mktables: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
