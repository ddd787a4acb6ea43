#include "graphics/CGraphicObGraphLineStripChart.h"
#include "graphics/CGraphicObAxisTime.h"

CGraphicObGraphLineStripChart::CGraphicObGraphLineStripChart()
{
    delete m_xAxis;
    m_xAxis = new CGraphicObAxisTime();
}
