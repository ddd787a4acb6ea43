// What the splitters of the sizing bars and of their dock bars share: the tracker drawn
// over the docking frame while a splitter is dragged, and the frame's co-ordinates.
#pragma once
#include "framework/CPoint.h"
#include "framework/CRect.h"

class CFrameWnd;
class CWnd;

// Inverts the rectangle (frame client co-ordinates) with the halftone pattern, over
// the frame's child windows too; a second call erases it.
void InvertTrackerOnFrame(CFrameWnd* pFrame, const CRect& rect);

// A point in pWnd's client co-ordinates in the frame's client co-ordinates.
CPoint ClientToFrameClient(const CWnd* pWnd, CFrameWnd* pFrame, CPoint point);
