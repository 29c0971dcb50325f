// Helpers for the Windows tests: a fixture with a scratch folder and a clean
// call table, recorded message boxes, and small file helpers.
#pragma once
#include "setup/syscalls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct RecordedBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

// Message boxes shown through the call table while a WineTest runs.
extern std::vector<RecordedBox> g_boxes;

// "ERROR 12|ERROR 1A|..." for compact expectations.
std::string BoxCaptions();

// Every test starts with the real call table but recorded message boxes, a
// setup state pointing at this module, the real temp folder, and an empty
// scratch folder C:\qlxtests\<test name>; all are undone afterwards.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Scratch(const std::string &name = "") const;

    std::string scratch_;
};

std::string ReadFileBytes(const std::string &path);  // "" when missing
bool FileExists(const std::string &path);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
void RemoveTree(const std::string &path);  // clears read-only attributes first
std::string ResourceBytes(WORD id);          // a "FILE" resource of this module
std::string SystemText(DWORD number);        // FormatMessageA's text, as the setup asks it
void DeleteRegistryTree(HKEY root, const char *path);

// A file the rig staged in its scratch folder (relative path with "/"), as
// Wine sees it: "make test" copies the payload sources into payload-src/
// and the built setups into setups/<tree>/.
std::string RigPath(const std::string &relative);
std::string PayloadSource(const char *name);  // RigPath("payload-src/" + name)

int CountFiles(const std::string &folder);  // files directly in folder

// A value as stored: its exact bytes, "<no key>" or "<no value>"; *type
// (if given) receives its type. A null name reads the default value.
std::string RegistryValue(HKEY root, const char *path, const char *name, DWORD *type = nullptr);
bool RegistryKeyExists(HKEY root, const char *path);
