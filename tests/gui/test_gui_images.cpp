// Image lists and pictures loaded from the program's resources, drawn for real.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "base/Handles.h"

namespace {

const int StripBitmap = 100;
const int ProgramIcon = 101;
const COLORREF Magenta = RGB(255, 0, 255);

// A white 64x32 bitmap to draw on, read back pixel by pixel.
class TCanvas {
public:
    TCanvas() {
        HDC screen = GetDC(nullptr);
        FDC = CreateCompatibleDC(screen);
        FBitmap.reset(CreateCompatibleBitmap(screen, 64, 32));
        ReleaseDC(nullptr, screen);
        FOld = SelectObject(FDC, FBitmap.get());
        RECT r{0, 0, 64, 32};
        FillRect(FDC, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~TCanvas() {
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
    }
    HDC dc() const { return FDC; }
    COLORREF At(int x, int y) const { return GetPixel(FDC, x, y) & 0xFFFFFF; }

private:
    HDC FDC;
    GdiObject<HBITMAP> FBitmap;
    HGDIOBJ FOld;
};

} // namespace

TEST(ImageList, LoadsAStripOfBitmapsWithAMaskColour) {
    TImageList images(16, 16);
    EXPECT_EQ(images.AddResourceBitmap(StripBitmap, Magenta), 0);
    EXPECT_EQ(images.Count(), 3);
    TCanvas canvas;
    images.Draw(canvas.dc(), 0, 0, 0);
    images.Draw(canvas.dc(), 16, 0, 1);
    images.Draw(canvas.dc(), 32, 0, 2);
    EXPECT_EQ(canvas.At(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255)) << "magenta is masked out";
    EXPECT_EQ(canvas.At(21, 5), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(37, 5), RGB(0, 0, 255));
    images.Draw(canvas.dc(), 48, 0, 7); // out of range: nothing
    EXPECT_EQ(canvas.At(52, 5), RGB(255, 255, 255));
    EXPECT_EQ(images.AddResourceBitmap(999), -1);
    EXPECT_EQ(images.Count(), 3);
}

TEST(ImageList, IconsFromResourcesAndBackAsIcons) {
    TImageList icons(32, 32);
    EXPECT_EQ(icons.AddResourceIcon(ProgramIcon), 0);
    EXPECT_EQ(icons.AddResourceIcon(999), -1);
    EXPECT_EQ(icons.Count(), 1);
    IconHandle icon = icons.GetIcon(0);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &info));
    BITMAP bm{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(icons.GetIcon(1), nullptr);
    EXPECT_EQ(icons.GetIcon(-1), nullptr);
}

// Icons kept from resources and bitmaps added between them keep their indices, whether the list
// is drawn before, between or after the additions; a kept icon is handed out as it is, without a
// system list.
TEST(ImageList, KeptIconsAndBitmapsKeepTheirIndices) {
    for (const bool drawnBetween : {false, true}) {
        SCOPED_TRACE(drawnBetween ? "drawn between" : "drawn at the end");
        TImageList images(16, 16);
        EXPECT_EQ(images.AddResourceIcon(ProgramIcon), 0);
        EXPECT_NE(images.ResourceIcon(0), nullptr);
        EXPECT_FALSE(images.HandleAllocated()) << "an icon handed out needs no system list";
        if (drawnBetween) {
            TCanvas early;
            images.Draw(early.dc(), 0, 0, 0);
        }
        EXPECT_EQ(images.AddResourceBitmap(StripBitmap, Magenta), 1);
        EXPECT_EQ(images.AddResourceIcon(ProgramIcon), 4);
        EXPECT_EQ(images.Count(), 5);
        EXPECT_EQ(ImageList_GetImageCount(images.Handle()), 5);
        TCanvas canvas;
        for (int i = 1; i <= 3; ++i)
            images.Draw(canvas.dc(), 16 * (i - 1), 0, i);
        EXPECT_EQ(canvas.At(5, 5), RGB(255, 0, 0));
        EXPECT_EQ(canvas.At(21, 5), RGB(0, 255, 0));
        EXPECT_EQ(canvas.At(37, 5), RGB(0, 0, 255));
        for (const int kept : {0, 4}) {
            EXPECT_NE(images.ResourceIcon(kept), nullptr);
            EXPECT_EQ(images.ResourceIcon(kept), images.ResourceIcon(kept)) << "no copy";
            EXPECT_NE(images.GetIcon(kept), nullptr);
        }
        for (const int other : {-1, 1, 3, 5})
            EXPECT_EQ(images.ResourceIcon(other), nullptr);
        images.Clear();
        EXPECT_EQ(images.Count(), 0);
        EXPECT_EQ(images.AddResourceIcon(ProgramIcon), 0);
    }
}

// What the list draws for an icon is what the icon draws, on any background.
TEST(ImageList, AnIconDrawsAsTheIconItself) {
    for (const int size : {32, 16}) {
        SCOPED_TRACE(size);
        IconHandle icon(
            static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ProgramIcon),
                                          IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        ASSERT_NE(icon, nullptr);
        TImageList icons(size, size);
        ASSERT_EQ(icons.AddIcon(icon.get()), 0);
        EXPECT_EQ(icons.Count(), 1);
        for (const COLORREF background : {RGB(255, 0, 255), RGB(255, 255, 255), RGB(0, 0, 0)}) {
            auto draw = [&](auto paint) {
                MemoryDC dc{CreateCompatibleDC(nullptr)};
                BITMAPINFO bi{};
                bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
                bi.bmiHeader.biWidth = size;
                bi.bmiHeader.biHeight = -size; // top-down
                bi.bmiHeader.biPlanes = 1;
                bi.bmiHeader.biBitCount = 32;
                void* bits = nullptr;
                GdiObject<HBITMAP> target(
                    CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
                TSelectObject selected(dc.get(), target.get());
                GdiObject<HBRUSH> brush(CreateSolidBrush(background));
                const RECT all{0, 0, size, size};
                FillRect(dc.get(), &all, brush.get());
                paint(dc.get());
                GdiFlush();
                const auto* p = static_cast<const uint32_t*>(bits);
                return std::vector<uint32_t>(p, p + size * size);
            };
            const auto fromList = draw([&](HDC dc) { icons.Draw(dc, 0, 0, 0, true); });
            const auto fromIcon = draw([&](HDC dc) {
                DrawIconEx(dc, 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
            });
            EXPECT_EQ(fromList, fromIcon) << "background " << std::hex << background;
        }
    }
}

TEST(Image, ShowsAResourceBitmapCentredAndTransparent) {
    TForm form("TImageForm");
    form.SetBorderStyle(bsNone);
    form.SetClientSize(64, 32);
    form.SetColor(clWhite);
    TImage image(&form);
    EXPECT_FALSE(image.LoadFromResource(999));
    ASSERT_TRUE(image.LoadFromResource(StripBitmap));
    EXPECT_EQ(image.PictureWidth(), 48);
    EXPECT_EQ(image.PictureHeight(), 16);
    image.SetAutoSize(true);
    EXPECT_EQ(image.Width(), 48);
    EXPECT_EQ(image.Height(), 16);
    image.SetAutoSize(false);
    image.SetBounds(0, 0, 64, 32);
    image.SetColor(clWhite);
    image.SetCenter(true);
    image.SetTransparent(true);
    TCanvas canvas;
    SendMessageA(image.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    // Centred: the picture starts at (8, 8).
    EXPECT_EQ(canvas.At(8 + 5, 8 + 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(8 + 20, 8 + 5), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(2, 2), RGB(255, 255, 255)) << "the control's colour around it";
    EXPECT_EQ(canvas.At(8, 8 + 15), RGB(255, 255, 255)) << "the transparent colour";
    image.SetTransparent(false);
    SendMessageA(image.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    EXPECT_EQ(canvas.At(8, 8 + 15), Magenta);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
