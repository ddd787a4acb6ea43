#include "framework/CRect.h"

#include <gtest/gtest.h>

namespace
{

void ExpectRect(const CRect& rect, int left, int top, int right, int bottom)
{
    EXPECT_EQ(left, rect.left);
    EXPECT_EQ(top, rect.top);
    EXPECT_EQ(right, rect.right);
    EXPECT_EQ(bottom, rect.bottom);
}

TEST(PointAndSize, ArithmeticAndPackedMessageValues)
{
    CPoint point(10, 20);
    EXPECT_TRUE(point + CSize(1, 2) == CPoint(11, 22));
    EXPECT_TRUE(point - CSize(1, 2) == CPoint(9, 18));
    CSize distance = CPoint(15, 5) - point;
    EXPECT_EQ(5, distance.cx);
    EXPECT_EQ(-15, distance.cy);
    point += CPoint(1, 1);
    EXPECT_TRUE(point == CPoint(11, 21));
    EXPECT_TRUE(-point == CPoint(-11, -21));
    EXPECT_TRUE(point != CPoint(11, 22));

    // Mouse positions left of or above a window arrive as negative words.
    CPoint packed(MAKELPARAM(static_cast<WORD>(-5), 7));
    EXPECT_EQ(-5, packed.x);
    EXPECT_EQ(7, packed.y);
    CSize packedSize(static_cast<DWORD>(MAKELONG(static_cast<WORD>(-3), 40)));
    EXPECT_EQ(-3, packedSize.cx);
    EXPECT_EQ(40, packedSize.cy);
    EXPECT_TRUE(CSize(3, 4) + CSize(1, 1) == CSize(4, 5));
    EXPECT_TRUE(-CSize(3, 4) == CSize(-3, -4));
}

TEST(RectGeometry, SizeCornersAndCentre)
{
    CRect rect(10, 20, 50, 80);
    EXPECT_EQ(40, rect.Width());
    EXPECT_EQ(60, rect.Height());
    EXPECT_TRUE(rect.Size() == CSize(40, 60));
    EXPECT_TRUE(rect.TopLeft() == CPoint(10, 20));
    EXPECT_TRUE(rect.BottomRight() == CPoint(50, 80));
    EXPECT_TRUE(rect.CenterPoint() == CPoint(30, 50));

    // The corners are the rectangle's own fields.
    rect.TopLeft() = CPoint(0, 1);
    rect.BottomRight().x = 7;
    ExpectRect(rect, 0, 1, 7, 80);

    ExpectRect(CRect(CPoint(3, 4), CSize(10, 20)), 3, 4, 13, 24);
    ExpectRect(CRect(CPoint(3, 4), CPoint(5, 6)), 3, 4, 5, 6);
}

TEST(RectGeometry, EmptyAndNullAreDifferent)
{
    EXPECT_TRUE(CRect().IsRectNull());
    EXPECT_TRUE(CRect().IsRectEmpty());
    CRect flat(5, 5, 20, 5);
    EXPECT_TRUE(flat.IsRectEmpty());
    EXPECT_FALSE(flat.IsRectNull());
    CRect inverted(20, 20, 10, 30);
    EXPECT_TRUE(inverted.IsRectEmpty());
    EXPECT_FALSE(CRect(0, 0, 1, 1).IsRectEmpty());
    flat.SetRectEmpty();
    EXPECT_TRUE(flat.IsRectNull());
}

TEST(RectGeometry, PointInsideExcludesRightAndBottomEdges)
{
    CRect rect(0, 0, 10, 10);
    EXPECT_TRUE(rect.PtInRect(CPoint(0, 0)));
    EXPECT_TRUE(rect.PtInRect(CPoint(9, 9)));
    EXPECT_FALSE(rect.PtInRect(CPoint(10, 5)));
    EXPECT_FALSE(rect.PtInRect(CPoint(5, 10)));
    EXPECT_FALSE(rect.PtInRect(CPoint(-1, 5)));
    EXPECT_FALSE(CRect(10, 10, 0, 0).PtInRect(CPoint(5, 5)));
}

TEST(RectGeometry, InflateDeflateOffsetAndNormalize)
{
    CRect rect(10, 10, 20, 20);
    rect.InflateRect(2, 3);
    ExpectRect(rect, 8, 7, 22, 23);
    rect.DeflateRect(2, 3);
    ExpectRect(rect, 10, 10, 20, 20);
    rect.InflateRect(1, 2, 3, 4);
    ExpectRect(rect, 9, 8, 23, 24);
    rect.DeflateRect(CRect(1, 2, 3, 4));
    ExpectRect(rect, 10, 10, 20, 20);
    rect.DeflateRect(CSize(6, 6));
    EXPECT_TRUE(rect.IsRectEmpty());
    ExpectRect(rect, 16, 16, 14, 14);
    rect.NormalizeRect();
    ExpectRect(rect, 14, 14, 16, 16);

    rect.OffsetRect(-14, 6);
    ExpectRect(rect, 0, 20, 2, 22);
    rect.MoveToXY(100, 200);
    ExpectRect(rect, 100, 200, 102, 202);
}

TEST(RectSetOperations, IntersectionOfDisjointRectsIsEmptyAndFalse)
{
    CRect result(1, 2, 3, 4);
    EXPECT_FALSE(result.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(result.IsRectNull());
    EXPECT_TRUE(result.IntersectRect(CRect(0, 0, 10, 10), CRect(5, -5, 20, 5)));
    ExpectRect(result, 5, 0, 10, 5);
    // The result may be an operand.
    result.IntersectRect(result, CRect(6, 1, 7, 2));
    ExpectRect(result, 6, 1, 7, 2);
}

TEST(RectSetOperations, UnionIgnoresEmptyOperands)
{
    CRect result;
    EXPECT_TRUE(result.UnionRect(CRect(0, 0, 5, 5), CRect(10, 10, 20, 12)));
    ExpectRect(result, 0, 0, 20, 12);
    EXPECT_TRUE(result.UnionRect(CRect(), CRect(3, 3, 4, 4)));
    ExpectRect(result, 3, 3, 4, 4);
    EXPECT_FALSE(result.UnionRect(CRect(), CRect(5, 5, 5, 9)));
    EXPECT_TRUE(result.IsRectEmpty());
}

TEST(RectSetOperations, SubtractOnlyCutsFullEdgeStrips)
{
    CRect result;
    // A strip across the whole bottom edge shortens the rectangle.
    EXPECT_TRUE(result.SubtractRect(CRect(0, 0, 10, 10), CRect(-1, 6, 11, 20)));
    ExpectRect(result, 0, 0, 10, 6);
    // A hole in the middle cannot be expressed as one rectangle: the source is kept.
    EXPECT_TRUE(result.SubtractRect(CRect(0, 0, 10, 10), CRect(3, 3, 6, 6)));
    ExpectRect(result, 0, 0, 10, 10);
    // Covering it completely leaves nothing.
    EXPECT_FALSE(result.SubtractRect(CRect(0, 0, 10, 10), CRect(-5, -5, 15, 15)));
    EXPECT_TRUE(result.IsRectEmpty());
}

TEST(RectOperators, OffsetInflateIntersectUnionAndCompare)
{
    const CRect base(0, 0, 10, 10);
    ExpectRect(base + CPoint(5, 6), 5, 6, 15, 16);
    ExpectRect(base - CPoint(5, 6), -5, -6, 5, 4);
    ExpectRect(base + CSize(1, 1), 1, 1, 11, 11);
    ExpectRect(base + CRect(1, 2, 3, 4), -1, -2, 13, 14);
    ExpectRect(base - CRect(1, 2, 3, 4), 1, 2, 7, 6);
    ExpectRect(base & CRect(5, 5, 20, 20), 5, 5, 10, 10);
    ExpectRect(base | CRect(5, 5, 20, 20), 0, 0, 20, 20);
    EXPECT_TRUE((base & CRect(20, 20, 30, 30)).IsRectEmpty());

    CRect rect = base;
    rect += CPoint(1, 1);
    rect -= CSize(2, 2);
    ExpectRect(rect, -1, -1, 9, 9);
    rect &= base;
    ExpectRect(rect, 0, 0, 9, 9);
    rect |= CRect(0, 0, 12, 1);
    ExpectRect(rect, 0, 0, 12, 9);

    EXPECT_TRUE(base == CRect(0, 0, 10, 10));
    EXPECT_TRUE(base != CRect(0, 0, 10, 11));
    EXPECT_TRUE(base.EqualRect(CRect(0, 0, 10, 10)));
    RECT plain = {0, 0, 10, 10};
    EXPECT_TRUE(base == plain);
}

TEST(RectOperators, PassesAsWin32RectPointer)
{
    CRect rect;
    ::SetRect(rect, 1, 2, 3, 4);
    ExpectRect(rect, 1, 2, 3, 4);
    const CRect& constRect = rect;
    EXPECT_FALSE(::IsRectEmpty(constRect));
    rect = RECT{5, 6, 7, 8};
    ExpectRect(rect, 5, 6, 7, 8);
    CRect copy;
    copy.CopyRect(rect);
    EXPECT_TRUE(copy == rect);
}

} // namespace
