// Millisecond times.
#include "engine/core/MvTime.h"

#include "engine/core/HErrorManager.h"

uint32_t MvTime::getTime32() const
{
    if (high != 0)
        HErrorManager::s_db_alert("MvTime::getTime32() - overflow");
    return low;
}

uint32_t MvTime::sub32(const MvTime& other) const
{
    const uint64_t d = sub64(other);
    return (d >> 32) == 0 ? static_cast<uint32_t>(d) : 0u;
}
