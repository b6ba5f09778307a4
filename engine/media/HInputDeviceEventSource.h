// The input device's event source: when the event manager's queue is empty,
// it asks its device to drain the platform's events into the manager.
// Answers class questions as HObject.
#pragma once

#include "engine/core/HEventSource.h"

class HInputDevice;

class HInputDeviceEventSource : public HEventSource {
public:
    // The owner is not owned; the owner deletes its source.
    explicit HInputDeviceEventSource(HInputDevice* owner);

    // The owner's updateInputDevice(manager); nothing without an owner.
    void queryEventSource(HEventManager* manager) override;

    HInputDevice* getOwner() const { return m_pOwner; }

private:
    HInputDevice* m_pOwner;
};
