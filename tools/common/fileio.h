// Whole-file reading and writing for the host build tools.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline bool ReadWholeFile(const std::string &path, std::vector<std::uint8_t> *bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::uint8_t buffer[65536];
    std::size_t cb;
    while ((cb = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + cb);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

inline bool WriteWholeFile(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
