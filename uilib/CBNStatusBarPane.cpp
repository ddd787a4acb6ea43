#include "uilib/CBNStatusBarPane.h"

CBNStatusBarPane::CBNStatusBarPane(const CBNStatusBarPane& other)
    : CObject(), m_nID(other.m_nID), m_cxText(other.m_cxText), m_nStyle(other.m_nStyle),
      m_strText(other.m_strText)
{
}

CBNStatusBarPane& CBNStatusBarPane::operator=(const CBNStatusBarPane& other)
{
    m_nID = other.m_nID;
    m_cxText = other.m_cxText;
    m_nStyle = other.m_nStyle;
    m_strText = other.m_strText;
    return *this;
}
