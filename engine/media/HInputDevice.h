// The input device's interface: it turns the media library's window,
// keyboard and mouse events into engine events and queues them in the event
// manager. It is polled, never threaded: its event source, registered with
// the event manager, drains the platform's events whenever the manager's
// queue is empty. There is one input device per process, handed out by
// s_createInputDevice.
#pragma once

#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "engine/media/HSystemDevice.h"

#include <cstdint>

class HCvarManager;
class HEventManager;
class HInputDeviceEventSource;

class HInputDevice : public HSystemDevice {
public:
    // How the pointer is read. The system only ever asks for the pointer's
    // own position; nothing reads the mode.
    enum MouseMode : int32_t {
        MOUSE_MODE_ABSOLUTE = 2,
    };

    // Stores both (the console variables are not read), zeroes the
    // positions and creates the event source, owned by the device.
    HInputDevice(HCvarManager* cvarManager, MouseMode mouseMode);
    // Deletes the event source: unregister it from the event manager first.
    ~HInputDevice() override;

    HInputDevice(const HInputDevice&) = delete;
    HInputDevice& operator=(const HInputDevice&) = delete;

    virtual bool createInputDevice(bool flag) = 0;
    // Drains the platform's pending events into the event manager.
    virtual bool updateInputDevice(HEventManager* manager) = 0;
    virtual void shutdownInputDevice() = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // Does nothing; kept in the device's interface, no caller asks for it.
    virtual void captureMouse(const HScreenRect* area);
    // The positions stored at construction; nothing updates them, and no
    // caller reads them: the events carry the pointer's place.
    virtual HScreenPoint getJoystickPos() const;
    virtual HScreenPoint getMousePos() const;
    virtual void centerMouse() = 0;

    // The source to register with the event manager; it lives as long as the
    // device.
    HInputDeviceEventSource* getEventSource() const { return m_pEventSource; }
    MouseMode getMouseMode() const { return m_mouseMode; }

    // The process's input device: built once, on the first call, and kept
    // until process exit; every call makes it the current device. The flags
    // are ignored. Never fails. (Defined with the concrete device.)
    static HInputDevice* s_createInputDevice(HCvarManager* cvarManager, bool flag1, bool flag2);
    // Forgets the current device; the device itself lives on and the next
    // s_createInputDevice hands it out again.
    static void s_destroyInputDevice(HInputDevice* device);

protected:
    HCvarManager* m_pCvarManager;
    HInputDeviceEventSource* m_pEventSource;
    MouseMode m_mouseMode;
    HScreenPoint m_joystickPos;
    HScreenPoint m_mousePos;

    // Set by s_createInputDevice, cleared by s_destroyInputDevice.
    static HInputDevice* sm_pCurrentDevice;
};
