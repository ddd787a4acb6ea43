// A counted handle on a link shared by every user of one COM port or one host and
// port. One handle stands for one use; the last one to go closes the link.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbus.h"

#include <boost/noncopyable.hpp>
#include <boost/shared_ptr.hpp>

class CSharedModbus : private boost::noncopyable
{
public:
    explicit CSharedModbus(const boost::shared_ptr<CModbus>& link) : m_link(link) {}
    virtual ~CSharedModbus() = default;

    boost::shared_ptr<CModbus> m_link;
};
