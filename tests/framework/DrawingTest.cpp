#include "framework/CBitmap.h"
#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "framework/CFont.h"
#include "framework/CPen.h"
#include "framework/CRgn.h"

#include <gtest/gtest.h>

#include "tests/support/DibCanvas.h"

#include <cstring>

namespace
{

const COLORREF White = RGB(255, 255, 255);
const COLORREF Black = RGB(0, 0, 0);
const COLORREF Red = RGB(255, 0, 0);
const COLORREF Blue = RGB(0, 0, 255);

// A horizontal line from x 20 to 40 at y 20, 9 pixels wide, in the given pen style.
void DrawThickLine(DibCanvas& canvas, int penStyle)
{
    CPen pen(penStyle, 9, Black);
    CPen* previous = canvas.DC().SelectObject(&pen);
    canvas.DC().MoveTo(20, 20);
    canvas.DC().LineTo(40, 20);
    canvas.DC().SelectObject(previous);
}

TEST(DrawingPens, FlatEndCapsStopAtTheEndPoints)
{
    DibCanvas canvas(64, 40);
    ASSERT_TRUE(canvas.IsValid());
    DrawThickLine(canvas, PS_GEOMETRIC | PS_ENDCAP_FLAT);
    EXPECT_EQ(Black, canvas.Pixel(30, 20));
    EXPECT_EQ(Black, canvas.Pixel(30, 23));   // half the width below the centre line
    EXPECT_EQ(Black, canvas.Pixel(21, 20));
    EXPECT_EQ(White, canvas.Pixel(17, 20));
    EXPECT_EQ(White, canvas.Pixel(43, 20));
    EXPECT_EQ(White, canvas.Pixel(30, 27));
}

TEST(DrawingPens, SquareEndCapsReachBeyondTheEndPoints)
{
    DibCanvas canvas(64, 40);
    ASSERT_TRUE(canvas.IsValid());
    DrawThickLine(canvas, PS_GEOMETRIC | PS_ENDCAP_SQUARE);
    EXPECT_EQ(Black, canvas.Pixel(17, 20));
    EXPECT_EQ(Black, canvas.Pixel(42, 20));
}

TEST(DrawingPens, ExtendedStyleBitsMakeAnExtendedPen)
{
    // The style the charts use: geometric, flat end caps.
    CPen chartPen(0x10200, 3, Red);
    EXPECT_EQ(static_cast<UINT>(OBJ_EXTPEN), chartPen.GetObjectType());
    EXTLOGPEN extended;
    ASSERT_NE(0, chartPen.GetExtLogPen(&extended));
    EXPECT_EQ(static_cast<DWORD>(0x10200), extended.elpPenStyle);
    EXPECT_EQ(3u, extended.elpWidth);
    EXPECT_EQ(Red, extended.elpColor);

    CPen plain(PS_DASH, 1, Blue);
    EXPECT_EQ(static_cast<UINT>(OBJ_PEN), plain.GetObjectType());
    LOGPEN logPen;
    ASSERT_NE(0, plain.GetLogPen(&logPen));
    EXPECT_EQ(static_cast<UINT>(PS_DASH), logPen.lopnStyle);
}

TEST(DrawingPens, PolylineDrawsEverySegment)
{
    DibCanvas canvas(40, 40);
    ASSERT_TRUE(canvas.IsValid());
    CPen pen(PS_SOLID, 1, Blue);
    CPen* previous = canvas.DC().SelectObject(&pen);
    POINT points[] = {{5, 5}, {30, 5}, {30, 30}};
    EXPECT_TRUE(canvas.DC().Polyline(points, 3));
    canvas.DC().SelectObject(previous);
    EXPECT_EQ(Blue, canvas.Pixel(15, 5));
    EXPECT_EQ(Blue, canvas.Pixel(30, 20));
    EXPECT_EQ(White, canvas.Pixel(15, 20));
}

TEST(DrawingFills, SolidRectFillsExactlyTheRectangle)
{
    DibCanvas canvas(30, 30);
    ASSERT_TRUE(canvas.IsValid());
    canvas.DC().FillSolidRect(CRect(5, 6, 15, 16), Red);
    EXPECT_EQ(100, canvas.CountPixels(CRect(0, 0, 30, 30), Red));
    EXPECT_EQ(Red, canvas.Pixel(5, 6));
    EXPECT_EQ(Red, canvas.Pixel(14, 15));
    EXPECT_EQ(White, canvas.Pixel(15, 15));
    EXPECT_EQ(White, canvas.Pixel(4, 6));
}

TEST(DrawingFills, ThreeDimensionalFrameColoursItsEdgesOnly)
{
    DibCanvas canvas(30, 30);
    ASSERT_TRUE(canvas.IsValid());
    canvas.DC().Draw3dRect(CRect(2, 2, 12, 10), Red, Blue);
    EXPECT_EQ(Red, canvas.Pixel(2, 2));
    EXPECT_EQ(Red, canvas.Pixel(10, 2));
    EXPECT_EQ(Red, canvas.Pixel(2, 8));
    EXPECT_EQ(Blue, canvas.Pixel(11, 2));   // the top-right corner belongs to the shadow
    EXPECT_EQ(Blue, canvas.Pixel(2, 9));
    EXPECT_EQ(Blue, canvas.Pixel(11, 9));
    EXPECT_EQ(White, canvas.Pixel(6, 6));
    EXPECT_EQ(White, canvas.Pixel(12, 5));
    // Top row 9 and left column 7, sharing a corner; right column 8 and bottom row 10,
    // sharing a corner.
    EXPECT_EQ(15, canvas.CountPixels(CRect(0, 0, 30, 30), Red));
    EXPECT_EQ(17, canvas.CountPixels(CRect(0, 0, 30, 30), Blue));
}

TEST(DrawingFills, FilledPathCoversItsFigure)
{
    DibCanvas canvas(40, 40);
    ASSERT_TRUE(canvas.IsValid());
    CBrush brush(Blue);
    CBrush* previous = canvas.DC().SelectObject(&brush);
    ASSERT_TRUE(canvas.DC().BeginPath());
    POINT triangle[] = {{5, 5}, {35, 5}, {5, 35}};
    canvas.DC().Polygon(triangle, 3);
    ASSERT_TRUE(canvas.DC().EndPath());
    EXPECT_TRUE(canvas.DC().FillPath());
    canvas.DC().SelectObject(previous);
    EXPECT_EQ(Blue, canvas.Pixel(10, 10));
    EXPECT_EQ(White, canvas.Pixel(30, 30));
}

TEST(DrawingFills, RegionFillAndHitTest)
{
    DibCanvas canvas(40, 40);
    ASSERT_TRUE(canvas.IsValid());
    CRgn outer, inner, ring;
    outer.CreateRectRgn(0, 0, 20, 20);
    inner.CreateRectRgn(5, 5, 15, 15);
    ring.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(COMPLEXREGION, ring.CombineRgn(&outer, &inner, RGN_DIFF));
    EXPECT_TRUE(ring.PtInRegion(2, 2));
    EXPECT_FALSE(ring.PtInRegion(10, 10));
    CRect box;
    EXPECT_EQ(COMPLEXREGION, ring.GetRgnBox(box));
    EXPECT_TRUE(box == CRect(0, 0, 20, 20));

    CBrush brush(Red);
    EXPECT_TRUE(canvas.DC().FillRgn(&ring, &brush));
    EXPECT_EQ(Red, canvas.Pixel(2, 2));
    EXPECT_EQ(White, canvas.Pixel(10, 10));
    EXPECT_EQ(400 - 100, canvas.CountPixels(CRect(0, 0, 40, 40), Red));

    CRgn copy;
    copy.CreateRectRgn(0, 0, 0, 0);
    copy.CopyRgn(&ring);
    EXPECT_TRUE(copy.EqualRgn(&ring));
    copy.OffsetRgn(1, 0);
    EXPECT_FALSE(copy.EqualRgn(&ring));
}

TEST(DrawingClipping, PixelsOutsideTheClipStayUntouched)
{
    DibCanvas canvas(40, 40);
    ASSERT_TRUE(canvas.IsValid());
    int saved = canvas.DC().SaveDC();
    ASSERT_NE(0, saved);
    canvas.DC().IntersectClipRect(CRect(10, 10, 20, 20));
    canvas.DC().ExcludeClipRect(CRect(10, 10, 12, 20));
    CRect clipBox;
    canvas.DC().GetClipBox(clipBox);
    EXPECT_TRUE(clipBox == CRect(12, 10, 20, 20));
    canvas.DC().FillSolidRect(0, 0, 40, 40, Red);
    EXPECT_EQ(80, canvas.CountPixels(CRect(0, 0, 40, 40), Red));
    EXPECT_EQ(White, canvas.Pixel(11, 15));
    EXPECT_EQ(White, canvas.Pixel(25, 25));

    // Restoring the saved state lifts the clipping.
    EXPECT_TRUE(canvas.DC().RestoreDC(saved));
    canvas.DC().FillSolidRect(0, 0, 40, 40, Blue);
    EXPECT_EQ(1600, canvas.CountPixels(CRect(0, 0, 40, 40), Blue));
}

TEST(DrawingClipping, ClipRegionSelectionAndRemoval)
{
    DibCanvas canvas(40, 40);
    ASSERT_TRUE(canvas.IsValid());
    CRgn region;
    region.CreateEllipticRgn(0, 0, 40, 40);
    EXPECT_NE(ERROR, canvas.DC().SelectClipRgn(&region));
    EXPECT_FALSE(canvas.DC().PtVisible(0, 0));
    EXPECT_TRUE(canvas.DC().PtVisible(20, 20));
    canvas.DC().FillSolidRect(0, 0, 40, 40, Red);
    EXPECT_EQ(White, canvas.Pixel(0, 0));
    EXPECT_EQ(Red, canvas.Pixel(20, 20));

    EXPECT_NE(ERROR, canvas.DC().SelectClipRgn(nullptr));
    EXPECT_TRUE(canvas.DC().PtVisible(0, 0));
}

TEST(DrawingText, ExtentsGrowWithTheText)
{
    DibCanvas canvas(200, 60);
    ASSERT_TRUE(canvas.IsValid());
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(100, "Arial", &canvas.DC()));
    CFont* previous = canvas.DC().SelectObject(&font);
    CSize one = canvas.DC().GetTextExtent(CString("W"));
    CSize three = canvas.DC().GetTextExtent("WWW", 3);
    EXPECT_GT(one.cx, 0);
    EXPECT_GT(one.cy, 0);
    EXPECT_GT(three.cx, 2 * one.cx);
    EXPECT_EQ(one.cy, three.cy);

    CRect measured(0, 0, 200, 0);
    int height = canvas.DC().DrawText(CString("line one\nline two"), measured, DT_CALCRECT);
    EXPECT_GE(height, 2 * one.cy);
    EXPECT_EQ(height, measured.Height());

    canvas.DC().SetTextColor(Black);
    canvas.DC().SetBkMode(TRANSPARENT);
    EXPECT_TRUE(canvas.DC().TextOut(5, 5, CString("WWW")));
    EXPECT_GT(canvas.CountPixels(CRect(5, 5, 5 + three.cx, 5 + three.cy), Black), 0);
    // A glyph may overhang its advance by a pixel or two, no more.
    EXPECT_EQ(0, canvas.CountPixels(CRect(5 + three.cx + 4, 0, 200, 60), Black));
    canvas.DC().SelectObject(previous);

    CString face;
    EXPECT_GT(canvas.DC().GetTextFace(face), 0);
}

TEST(DrawingText, PointFontHeightFollowsTheMapping)
{
    DibCanvas canvas(10, 10);
    ASSERT_TRUE(canvas.IsValid());
    int pixelsPerInch = canvas.DC().GetDeviceCaps(LOGPIXELSY);
    ASSERT_GT(pixelsPerInch, 0);

    CFont pixels;
    ASSERT_TRUE(pixels.CreatePointFont(120, "Arial", &canvas.DC()));
    LOGFONT logFont;
    ASSERT_NE(0, pixels.GetLogFont(&logFont));
    EXPECT_EQ(-MulDiv(pixelsPerInch, 120, 720), logFont.lfHeight);
    EXPECT_STREQ("Arial", logFont.lfFaceName);

    // Tenths of a millimetre, y pointing up: 12 points are 4.2 mm; the height stays a
    // negative character height despite the flipped axis.
    canvas.DC().SetMapMode(MM_LOMETRIC);
    CFont metric;
    LOGFONT request;
    std::memset(&request, 0, sizeof(request));
    request.lfHeight = 120;
    lstrcpy(request.lfFaceName, "Arial");
    ASSERT_TRUE(metric.CreatePointFontIndirect(&request, &canvas.DC()));
    ASSERT_NE(0, metric.GetLogFont(&logFont));
    EXPECT_LT(logFont.lfHeight, 0);
    EXPECT_NEAR(42, -logFont.lfHeight, 3);
}

TEST(DrawingMapping, PointsRectsAndSizesConvertBothWays)
{
    DibCanvas canvas(10, 10);
    ASSERT_TRUE(canvas.IsValid());
    CDC& dc = canvas.DC();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1, 1);
    dc.SetViewportExt(2, 3);
    CPoint previousOrigin = dc.SetViewportOrg(10, 20);
    EXPECT_TRUE(previousOrigin == CPoint(0, 0));
    EXPECT_EQ(MM_ANISOTROPIC, dc.GetMapMode());

    CPoint point(5, 5);
    dc.LPtoDP(&point);
    EXPECT_TRUE(point == CPoint(20, 35));
    dc.DPtoLP(&point);
    EXPECT_TRUE(point == CPoint(5, 5));

    // A size is a distance: the origin does not shift it.
    CSize size(5, 5);
    dc.LPtoDP(&size);
    EXPECT_TRUE(size == CSize(10, 15));
    dc.DPtoLP(&size);
    EXPECT_TRUE(size == CSize(5, 5));

    CRect rect(0, 0, 2, 2);
    dc.LPtoDP(rect);
    EXPECT_TRUE(rect == CRect(10, 20, 14, 26));
    EXPECT_TRUE(dc.GetViewportOrg() == CPoint(10, 20));
}

TEST(DrawingBlocks, BitBltCopiesAndHalftoneInvertsAlternatePixels)
{
    DibCanvas source(20, 20);
    DibCanvas target(20, 20);
    ASSERT_TRUE(source.IsValid() && target.IsValid());
    source.DC().FillSolidRect(0, 0, 10, 10, Red);
    EXPECT_TRUE(target.DC().BitBlt(5, 5, 10, 10, &source.DC(), 0, 0, SRCCOPY));
    EXPECT_EQ(White, target.Pixel(4, 4));
    EXPECT_EQ(Red, target.Pixel(5, 5));
    EXPECT_EQ(Red, target.Pixel(14, 14));
    EXPECT_EQ(White, target.Pixel(15, 15));

    DibCanvas tracker(8, 8);
    ASSERT_TRUE(tracker.IsValid());
    CBrush* halftone = CDC::GetHalftoneBrush();
    ASSERT_NE(nullptr, halftone);
    EXPECT_EQ(halftone, CDC::GetHalftoneBrush());
    CBrush* previous = tracker.DC().SelectObject(halftone);
    EXPECT_TRUE(tracker.DC().PatBlt(0, 0, 8, 8, PATINVERT));
    EXPECT_EQ(32, tracker.CountPixels(CRect(0, 0, 8, 8), Black));
    EXPECT_NE(tracker.Pixel(0, 0), tracker.Pixel(1, 0));
    EXPECT_NE(tracker.Pixel(0, 0), tracker.Pixel(0, 1));
    // Drawing the tracker again erases it.
    tracker.DC().PatBlt(0, 0, 8, 8, PATINVERT);
    EXPECT_EQ(64, tracker.CountPixels(CRect(0, 0, 8, 8), White));
    tracker.DC().SelectObject(previous);
}

TEST(DrawingBlocks, DrawStateBitmapNormalAndDisabled)
{
    DibCanvas canvas(40, 20);
    ASSERT_TRUE(canvas.IsValid());
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&canvas.DC(), 8, 8));
    EXPECT_TRUE(bitmap.GetSize() == CSize(8, 8));
    {
        CDC memory;
        ASSERT_TRUE(memory.CreateCompatibleDC(&canvas.DC()));
        CBitmap* previous = memory.SelectObject(&bitmap);
        memory.FillSolidRect(0, 0, 8, 8, Red);
        memory.SelectObject(previous);
    }
    EXPECT_TRUE(canvas.DC().DrawState(CPoint(2, 2), CSize(8, 8), &bitmap, DSS_NORMAL));
    EXPECT_EQ(Red, canvas.Pixel(2, 2));
    EXPECT_EQ(Red, canvas.Pixel(9, 9));
    EXPECT_EQ(White, canvas.Pixel(10, 10));

    // Disabled images are embossed: none of the original colour remains.
    EXPECT_TRUE(canvas.DC().DrawState(CPoint(20, 2), CSize(8, 8), &bitmap, DSS_DISABLED));
    EXPECT_EQ(0, canvas.CountPixels(CRect(20, 2, 28, 10), Red));
}

TEST(DrawingPrinting, StartDocOnANonPrinterFailsAndDoesNotPrint)
{
    DibCanvas canvas(10, 10);
    ASSERT_TRUE(canvas.IsValid());
    EXPECT_FALSE(canvas.DC().IsPrinting());
    EXPECT_LE(canvas.DC().StartDoc("Ostrel Summary"), 0);
    EXPECT_FALSE(canvas.DC().IsPrinting());
}

TEST(DrawingHandleMaps, StockObjectsGetTemporaryWrappersOfTheRightClass)
{
    CGdiObject* pen = CGdiObject::FromHandle(::GetStockObject(BLACK_PEN));
    ASSERT_NE(nullptr, pen);
    EXPECT_TRUE(pen->IsKindOf(RUNTIME_CLASS(CPen)));
    EXPECT_EQ(pen, CGdiObject::FromHandle(::GetStockObject(BLACK_PEN)));
    EXPECT_EQ(nullptr, CGdiObject::FromHandlePermanent(::GetStockObject(BLACK_PEN)));
    EXPECT_TRUE(CGdiObject::FromHandle(::GetStockObject(WHITE_BRUSH))->IsKindOf(RUNTIME_CLASS(CBrush)));
    EXPECT_TRUE(CGdiObject::FromHandle(::GetStockObject(DEFAULT_GUI_FONT))->IsKindOf(RUNTIME_CLASS(CFont)));
    EXPECT_EQ(nullptr, CGdiObject::FromHandle(nullptr));
    CGdiObject::DeleteTempMap();
}

TEST(DrawingHandleMaps, DeletingTemporariesLeavesTheHandlesAlive)
{
    HBRUSH raw = ::CreateSolidBrush(Red);
    CBrush* wrapper = CBrush::FromHandle(raw);
    ASSERT_NE(nullptr, wrapper);
    EXPECT_EQ(raw, static_cast<HBRUSH>(*wrapper));
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(raw));
    EXPECT_TRUE(::DeleteObject(raw));

    HDC rawDC = ::CreateCompatibleDC(nullptr);
    CDC* dcWrapper = CDC::FromHandle(rawDC);
    ASSERT_NE(nullptr, dcWrapper);
    EXPECT_EQ(dcWrapper, CDC::FromHandle(rawDC));
    EXPECT_EQ(rawDC, dcWrapper->m_hAttribDC);
    CDC::DeleteTempMap();
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(rawDC));
    EXPECT_TRUE(::DeleteDC(rawDC));
}

TEST(DrawingHandleMaps, OwnersArePermanentUntilTheyLetGo)
{
    HGDIOBJ handle = nullptr;
    {
        CPen pen(PS_SOLID, 1, Red);
        handle = pen.m_hObject;
        EXPECT_EQ(&pen, CGdiObject::FromHandle(handle));
        EXPECT_EQ(&pen, CPen::FromHandlePermanent(handle));
    }
    // The destructor deleted the pen and forgot it.
    EXPECT_EQ(nullptr, CGdiObject::FromHandlePermanent(handle));
    EXPECT_EQ(0u, ::GetObjectType(handle));

    CBrush brush(Blue);
    HGDIOBJ detached = brush.Detach();
    EXPECT_EQ(nullptr, brush.m_hObject);
    EXPECT_EQ(nullptr, CGdiObject::FromHandlePermanent(detached));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(detached));
    ::DeleteObject(detached);
}

TEST(DrawingHandleMaps, SelectObjectReturnsWhatWasSelected)
{
    DibCanvas canvas(10, 10);
    ASSERT_TRUE(canvas.IsValid());
    CPen first(PS_SOLID, 1, Red);
    CPen second(PS_SOLID, 1, Blue);
    CPen* original = canvas.DC().SelectObject(&first);
    ASSERT_NE(nullptr, original);
    EXPECT_TRUE(original->IsKindOf(RUNTIME_CLASS(CPen)));
    EXPECT_EQ(&first, canvas.DC().SelectObject(&second));
    EXPECT_EQ(&second, canvas.DC().GetCurrentPen());
    EXPECT_EQ(&second, canvas.DC().SelectObject(original));

    CGdiObject* stock = canvas.DC().SelectStockObject(BLACK_BRUSH);
    ASSERT_NE(nullptr, stock);
    EXPECT_TRUE(stock->IsKindOf(RUNTIME_CLASS(CBrush)));
    canvas.DC().SelectObject(stock);
    CGdiObject::DeleteTempMap();
}

TEST(DrawingBitmaps, CreateAndQueryMonochromeBitmap)
{
    // Rows are word-aligned, leftmost pixel in the high bit of the first byte.
    const BYTE rows[8] = {0xF0, 0, 0, 0, 0xF0, 0, 0, 0};
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 1, rows));
    BITMAP info;
    ASSERT_NE(0, bitmap.GetBitmap(&info));
    EXPECT_EQ(4, info.bmWidth);
    EXPECT_EQ(4, info.bmHeight);
    EXPECT_EQ(1, info.bmBitsPixel);
    BYTE readBack[8] = {0};
    EXPECT_EQ(8u, bitmap.GetBitmapBits(sizeof(readBack), readBack));
    EXPECT_EQ(0xF0, readBack[0] & 0xF0);
    EXPECT_EQ(0, readBack[2] & 0xF0);
    EXPECT_EQ(0xF0, readBack[4] & 0xF0);
    EXPECT_TRUE(CBitmap().GetSize() == CSize(0, 0));
}

} // namespace
