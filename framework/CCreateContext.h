// What a frame needs to build its view: handed through the creation parameter of
// CreateEx and read back in OnCreate.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CRuntimeClass.h"

class CDocument;
class CDocTemplate;
class CView;
class CFrameWnd;

struct CCreateContext
{
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};
