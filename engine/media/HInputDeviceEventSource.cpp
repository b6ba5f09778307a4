// The input device's event source.
#include "engine/media/HInputDeviceEventSource.h"

#include "engine/media/HInputDevice.h"

HInputDeviceEventSource::HInputDeviceEventSource(HInputDevice* owner) : m_pOwner(owner) {}

void HInputDeviceEventSource::queryEventSource(HEventManager* manager)
{
    if (m_pOwner)
        m_pOwner->updateInputDevice(manager);
}
