// Backdrop painting: every GDI object it makes is released, the device
// context gets its brush and font back, and missing fonts or an unusable
// measurement leave out only what they must.
#include "winhelpers.h"

#include "ui/ui.h"

namespace {

struct GdiCount {
    int created = 0;
    int deleted = 0;
    int textOuts = 0;
};

class Backdrop : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        Fake(sys.CreateSolidBrush, [](COLORREF c) -> HBRUSH { ++Gdi().created; return CreateSolidBrush(c); });
        Fake(sys.CreateFontIndirectA, [](const LOGFONTA *f) -> HFONT {
            ++Gdi().created;
            return CreateFontIndirectA(f);
        });
        Fake(sys.DeleteObject, [](HGDIOBJ o) -> BOOL { ++Gdi().deleted; return DeleteObject(o); });
        Fake(sys.TextOutA, [](HDC dc, int x, int y, LPCSTR s, int n) -> BOOL {
            ++Gdi().textOuts;
            return TextOutA(dc, x, y, s, n);
        });
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateCompatibleBitmap(screen_, GetSystemMetrics(SM_CXSCREEN),
                                         GetSystemMetrics(SM_CYSCREEN));
        SelectObject(dc_, bitmap_);
    }
    void TearDown() override
    {
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        ReleaseDC(nullptr, screen_);
        WineTest::TearDown();
    }
    static GdiCount &Gdi() { return Running<Backdrop>().count_; }  // for fakes
    GdiCount count_;
    LONG width_ = 0;  // of every text measured
    HDC screen_ = nullptr, dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

TEST_F(Backdrop, PaintReleasesWhatItMakesAndRestoresTheDc)
{
    HGDIOBJ brush = GetCurrentObject(dc_, OBJ_BRUSH);
    HGDIOBJ font = GetCurrentObject(dc_, OBJ_FONT);
    for (int i = 0; i < 3; ++i)
        PaintBackdrop(dc_, 96);
    EXPECT_EQ(12, count_.created);  // a brush and three fonts per paint
    EXPECT_EQ(count_.created, count_.deleted);
    EXPECT_EQ(brush, GetCurrentObject(dc_, OBJ_BRUSH));
    EXPECT_EQ(font, GetCurrentObject(dc_, OBJ_FONT));
    EXPECT_GT(count_.textOuts, 3 * 100);  // the tiling was drawn
    // Away from the titles there is only the field and the tiles.
    int fieldPixels = 0, other = 0;
    for (int y = 600; y < 640; ++y)
        for (int x = 600; x < 700; ++x) {
            COLORREF c = GetPixel(dc_, x, y);
            // Smoothed tile text blends the two blues, nothing else.
            if (c == RGB(0, 0, 128))
                ++fieldPixels;
            else if (GetRValue(c) || GetGValue(c) || GetBValue(c) < 96 || GetBValue(c) > 128)
                ++other;
        }
    EXPECT_GT(fieldPixels, 2000);
    EXPECT_EQ(0, other);
    EXPECT_NE(RGB(0, 0, 0), GetPixel(dc_, 1, 400));
    PaintBackdrop(dc_, 192);  // the field's outline twice as wide, in a pen of its own
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc_, 1, 400));
    EXPECT_EQ(count_.created + 1, count_.deleted);  // the pen is deleted too
}

// In high contrast the field and the titles take the theme's window colours, and no tile is drawn.
TEST_F(Backdrop, HighContrastTakesTheThemesColoursAndNoTiles)
{
    Fake(sys.SystemParametersInfoW, [](UINT what, UINT, PVOID info, UINT) -> BOOL {
        if (what == SPI_GETHIGHCONTRAST)
            static_cast<HIGHCONTRASTW *>(info)->dwFlags = HCF_HIGHCONTRASTON;
        return what == SPI_GETHIGHCONTRAST;
    });
    Fake(sys.GetSysColor, [](int index) -> DWORD {
        return index == COLOR_WINDOW       ? RGB(255, 255, 224)
               : index == COLOR_WINDOWTEXT ? RGB(64, 0, 64)
                                           : 0;
    });
    PaintBackdrop(dc_, 96);
    EXPECT_EQ(2, count_.textOuts);
    EXPECT_EQ(RGB(255, 255, 224), GetPixel(dc_, 650, 620));
    int title = 0;
    for (int x = 12; x < 200; ++x)
        title += GetPixel(dc_, x, 45) == RGB(64, 0, 64);
    EXPECT_GT(title, 5);
}

TEST_F(Backdrop, WithoutTileFontOnlyFieldAndTitlesAreDrawn)
{
    Fake(sys.CreateFontIndirectA, [](const LOGFONTA *f) -> HFONT {
        if (std::string(f->lfFaceName) == "Symbol")
            return nullptr;
        ++Gdi().created;
        return CreateFontIndirectA(f);
    });
    PaintBackdrop(dc_, 96);
    EXPECT_EQ(2, count_.textOuts);
    EXPECT_EQ(count_.created, count_.deleted);
}

TEST_F(Backdrop, UnusableMeasurementLeavesOutTheTiling)
{
    Fake(sys.GetTextExtentPointA, [](HDC, LPCSTR, int, LPSIZE size) -> BOOL {
        size->cx = Running<Backdrop>().width_;
        size->cy = 18;
        return TRUE;
    });
    for (LONG width : {1L, 0L, -7L}) {
        width_ = width;
        count_.textOuts = 0;
        PaintBackdrop(dc_, 96);
        EXPECT_EQ(2, count_.textOuts) << width;
    }
    Fake(sys.GetTextExtentPointA, [](HDC, LPCSTR, int, LPSIZE) -> BOOL { return FALSE; });
    count_.textOuts = 0;
    PaintBackdrop(dc_, 96);
    EXPECT_EQ(2, count_.textOuts);
}

TEST_F(Backdrop, WindowCoversTheScreenWithoutCaption)
{
    HWND window = CreateBackdropWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, window);
    RECT rect;
    GetWindowRect(window, &rect);
    // Shown maximised: the frame lies just outside the screen.
    EXPECT_LE(rect.left, 0);
    EXPECT_LE(rect.top, 0);
    EXPECT_GE(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
    char cls[64];
    GetClassNameA(window, cls, sizeof cls);
    EXPECT_STREQ("Quillarix", cls);
    EXPECT_EQ(1, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc_), 0));
    DestroyWindow(window);
    Fake(sys.RegisterClassExA, [](const WNDCLASSEXA *) -> ATOM { return 0; });
    EXPECT_EQ(nullptr, CreateBackdropWindow(GetModuleHandleA(nullptr)));
}

}  // namespace
