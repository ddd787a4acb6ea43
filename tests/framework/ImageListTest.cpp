#include "framework/CImageList.h"

#include <gtest/gtest.h>

#include "framework/CBitmap.h"
#include "framework/CDC.h"
#include "tests/support/DibCanvas.h"
#include "tests/framework/DrawingTestResources.h"

namespace
{

const COLORREF White = RGB(255, 255, 255);
const COLORREF Magenta = RGB(255, 0, 255);
const COLORREF Blue = RGB(0, 0, 255);
const COLORREF Green = RGB(0, 160, 0);
const COLORREF Red = RGB(255, 0, 0);

// The test strip: image 0 is magenta (masked) left of x 8 and blue right of it; image 1
// is magenta above y 8 and green below.
void ExpectStripImagesDrawn(DibCanvas& canvas, int x0, int x1)
{
    EXPECT_EQ(White, canvas.Pixel(x0 + 3, 5));
    EXPECT_EQ(Blue, canvas.Pixel(x0 + 12, 5));
    EXPECT_EQ(White, canvas.Pixel(x1 + 5, 3));
    EXPECT_EQ(Green, canvas.Pixel(x1 + 5, 12));
    EXPECT_EQ(0, canvas.CountPixels(CRect(0, 0, canvas.Width(), canvas.Height()), Magenta));
}

TEST(ImageListCreation, FromBitmapResourceWithMaskColour)
{
    CImageList images;
    ASSERT_TRUE(images.Create(IDB_TEST_IMAGE_STRIP, 16, 1, Magenta));
    EXPECT_EQ(2, images.GetImageCount());
    int cx = 0, cy = 0;
    EXPECT_TRUE(images.GetIconSize(&cx, &cy));
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);

    DibCanvas canvas(40, 16);
    ASSERT_TRUE(canvas.IsValid());
    EXPECT_TRUE(images.Draw(&canvas.DC(), 0, CPoint(0, 0), ILD_TRANSPARENT));
    EXPECT_TRUE(images.Draw(&canvas.DC(), 1, CPoint(20, 0), ILD_TRANSPARENT));
    ExpectStripImagesDrawn(canvas, 0, 20);
    EXPECT_FALSE(images.Draw(nullptr, 0, CPoint(0, 0), ILD_NORMAL));

    CImageList missing;
    EXPECT_FALSE(missing.Create(2999u, 16, 1, Magenta));
    EXPECT_EQ(nullptr, missing.m_hImageList);
}

TEST(ImageListCreation, AddBitmapsMaskedByColourAndReplaceRemove)
{
    DibCanvas source(32, 16);
    ASSERT_TRUE(source.IsValid());
    CBitmap strip;
    ASSERT_TRUE(strip.CreateCompatibleBitmap(&source.DC(), 32, 16));
    {
        CDC memory;
        ASSERT_TRUE(memory.CreateCompatibleDC(&source.DC()));
        CBitmap* previous = memory.SelectObject(&strip);
        memory.FillSolidRect(0, 0, 32, 16, Red);
        memory.FillSolidRect(0, 0, 4, 4, Magenta);
        memory.FillSolidRect(16, 0, 4, 4, Magenta);
        memory.SelectObject(previous);
    }

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 2));
    EXPECT_EQ(0, images.Add(&strip, Magenta));
    EXPECT_EQ(2, images.Add(&strip, Magenta));
    EXPECT_EQ(4, images.GetImageCount());

    DibCanvas canvas(16, 16);
    ASSERT_TRUE(canvas.IsValid());
    // The first add blackened the masked pixels of the bitmap (as Win32 does), so the
    // second image of the first add shows the mask.
    images.Draw(&canvas.DC(), 1, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(White, canvas.Pixel(1, 1));
    EXPECT_EQ(Red, canvas.Pixel(8, 8));

    CImageList resource;
    ASSERT_TRUE(resource.Create(IDB_TEST_IMAGE_STRIP, 16, 1, Magenta));
    HICON blueIcon = resource.ExtractIcon(0);
    ASSERT_NE(nullptr, blueIcon);
    EXPECT_EQ(3, images.Replace(3, blueIcon));
    canvas.Clear(White);
    images.Draw(&canvas.DC(), 3, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(Blue, canvas.Pixel(12, 8));
    EXPECT_EQ(4, images.Add(blueIcon));
    ::DestroyIcon(blueIcon);

    EXPECT_TRUE(images.Remove(0));
    EXPECT_EQ(4, images.GetImageCount());
    EXPECT_FALSE(images.Remove(10));
    EXPECT_TRUE(images.Remove(-1));
    EXPECT_EQ(0, images.GetImageCount());
}

TEST(ImageListCreation, ExtractedIconKeepsTheMask)
{
    CImageList images;
    ASSERT_TRUE(images.Create(IDB_TEST_IMAGE_STRIP, 16, 1, Magenta));
    HICON icon = images.ExtractIcon(1);
    ASSERT_NE(nullptr, icon);
    DibCanvas canvas(16, 16);
    ASSERT_TRUE(canvas.IsValid());
    EXPECT_TRUE(::DrawIconEx(canvas.DC(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(White, canvas.Pixel(5, 3));
    EXPECT_EQ(Green, canvas.Pixel(5, 12));
    ::DestroyIcon(icon);
    EXPECT_EQ(nullptr, images.ExtractIcon(7));
}

TEST(ImageListCreation, DuplicateIsIndependentOfTheOriginal)
{
    CImageList original;
    ASSERT_TRUE(original.Create(IDB_TEST_IMAGE_STRIP, 16, 1, Magenta));
    CImageList copy;
    ASSERT_TRUE(copy.Create(&original));
    EXPECT_NE(original.m_hImageList, copy.m_hImageList);
    EXPECT_EQ(2, copy.GetImageCount());

    copy.Remove(0);
    EXPECT_EQ(1, copy.GetImageCount());
    EXPECT_EQ(2, original.GetImageCount());

    // The copy keeps the masks: its remaining image is the second of the original.
    DibCanvas canvas(16, 16);
    ASSERT_TRUE(canvas.IsValid());
    copy.Draw(&canvas.DC(), 0, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(White, canvas.Pixel(5, 3));
    EXPECT_EQ(Green, canvas.Pixel(5, 12));

    CImageList empty;
    CImageList fromNothing;
    EXPECT_FALSE(fromNothing.Create(&empty));
    EXPECT_FALSE(fromNothing.Create(static_cast<CImageList*>(nullptr)));
}

TEST(ImageListHandleMaps, TemporariesAndOwners)
{
    HIMAGELIST raw = ImageList_Create(8, 8, ILC_COLOR24, 1, 1);
    ASSERT_NE(nullptr, raw);
    CImageList* wrapper = CImageList::FromHandle(raw);
    ASSERT_NE(nullptr, wrapper);
    EXPECT_EQ(wrapper, CImageList::FromHandle(raw));
    EXPECT_EQ(nullptr, CImageList::FromHandlePermanent(raw));
    CImageList::DeleteTempMap();
    EXPECT_EQ(0, ImageList_GetImageCount(raw));   // still alive
    EXPECT_EQ(1, ImageList_SetImageCount(raw, 1) ? ImageList_GetImageCount(raw) : -1);

    CImageList owner;
    ASSERT_TRUE(owner.Attach(raw));
    EXPECT_EQ(&owner, CImageList::FromHandle(raw));
    EXPECT_EQ(&owner, CImageList::FromHandlePermanent(raw));
    EXPECT_TRUE(owner.DeleteImageList());
    EXPECT_EQ(nullptr, CImageList::FromHandlePermanent(raw));
    EXPECT_FALSE(owner.DeleteImageList());
}

TEST(ImageListDragging, DragImageStartsAndEnds)
{
    CImageList images;
    ASSERT_TRUE(images.Create(IDB_TEST_IMAGE_STRIP, 16, 1, Magenta));
    ASSERT_TRUE(images.BeginDrag(1, CPoint(4, 4)));
    POINT hotSpot = {0, 0};
    HIMAGELIST dragging = ImageList_GetDragImage(nullptr, &hotSpot);
    EXPECT_NE(nullptr, dragging);
    CImageList::EndDrag();
    EXPECT_EQ(nullptr, ImageList_GetDragImage(nullptr, nullptr));
}

} // namespace
