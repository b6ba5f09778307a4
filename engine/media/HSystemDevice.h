// The common base of the display, input and audio devices; it holds nothing.
#pragma once

class HSystemDevice {
public:
    virtual ~HSystemDevice() {}
};
