// A line graph over time: its X axis is a time axis.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicObGraphLine.h"

class CGraphicObGraphLineStripChart : public CGraphicObGraphLine
{
public:
    CGraphicObGraphLineStripChart();
};
