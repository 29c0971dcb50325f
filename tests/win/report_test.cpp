// Error reporting: the caption names the code, the style is fixed, the box
// has no owner, and a system number of 0 shows nothing.
#include "winhelpers.h"

#include "install/report.h"

namespace {

struct Reporting : WineTest {
    int freed_ = 0, asked_ = 0;  // counted by fakes
    std::string languages_;      // asked for, in order
};

TEST_F(Reporting, ErrorBoxCarriesCodeStyleAndNoOwner)
{
    ReportError(Talk::kWindows, "Unable to proceed with installation", "1A");
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ(nullptr, boxes_[0].owner);
    EXPECT_EQ("ERROR 1A", boxes_[0].caption);
    EXPECT_EQ("Unable to proceed with installation", boxes_[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes_[0].style);
}

TEST_F(Reporting, SystemErrorShowsTheSystemTextAndReleasesIt)
{
    Fake(sys.LocalFree, [](HLOCAL m) -> HLOCAL { ++Running<Reporting>().freed_; return LocalFree(m); });
    ReportSystemError(Talk::kWindows, ERROR_ACCESS_DENIED, "22");
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("ERROR 22", boxes_[0].caption);
    EXPECT_FALSE(SystemText(ERROR_ACCESS_DENIED).empty());
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), boxes_[0].text);
    EXPECT_EQ(1, freed_);
}

TEST_F(Reporting, SystemNumberZeroShowsNothing)
{
    Fake(sys.FormatMessageW, [](DWORD, LPCVOID, DWORD, DWORD, LPWSTR, DWORD, va_list *) -> DWORD {
        ++Running<Reporting>().asked_;
        return 0;
    });
    ReportSystemError(Talk::kWindows, 0, "34");
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(0, asked_);
}

TEST_F(Reporting, NumberWithoutSystemTextIsStillShown)
{
    // Asked in US English first, then in the default language.
    Fake(sys.FormatMessageW, [](DWORD, LPCVOID, DWORD, DWORD language, LPWSTR, DWORD, va_list *) -> DWORD {
        Running<Reporting>().languages_ += std::to_string(language) + " ";
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    });
    ReportSystemError(Talk::kWindows, 1234, "37");
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("ERROR 37", boxes_[0].caption);
    EXPECT_EQ("System error 1234.", boxes_[0].text);
    EXPECT_EQ("1033 1024 ", languages_);
    ReportSystemError(Talk::kWindows, 4294967295u, "1");
    EXPECT_EQ("System error 4294967295.", boxes_[1].text);
}

}  // namespace
