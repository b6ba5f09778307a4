// Something the event manager polls when its ring is empty: it appends its
// pending events to the manager. Answers as HObject to class questions.
#pragma once

#include "engine/core/HObject.h"

class HEventManager;

class HEventSource : public HObject {
public:
    virtual void queryEventSource(HEventManager* manager) = 0;
};
