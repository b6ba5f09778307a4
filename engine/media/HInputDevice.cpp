// The input device's shared part: its event source, positions and the
// release of the current device.
#include "engine/media/HInputDevice.h"

#include "engine/media/HInputDeviceEventSource.h"

HInputDevice* HInputDevice::sm_pCurrentDevice = nullptr;

HInputDevice::HInputDevice(HCvarManager* cvarManager, MouseMode mouseMode)
    : m_pCvarManager(cvarManager),
      m_pEventSource(new HInputDeviceEventSource(this)),
      m_mouseMode(mouseMode),
      m_joystickPos(),
      m_mousePos()
{
}

HInputDevice::~HInputDevice()
{
    delete m_pEventSource;
    m_pEventSource = nullptr;
}

void HInputDevice::captureMouse(const HScreenRect* /*area*/) {}

HScreenPoint HInputDevice::getJoystickPos() const
{
    return m_joystickPos;
}

HScreenPoint HInputDevice::getMousePos() const
{
    return m_mousePos;
}

void HInputDevice::s_destroyInputDevice(HInputDevice* /*device*/)
{
    sm_pCurrentDevice = nullptr;
}
