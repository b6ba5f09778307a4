// Process-wide access, without a pointer to the game object, to the command
// line of "+set" tokens, the resource directory, the 2D display device and
// the event manager. The framework fills it during start-up and takes the
// display device and the event manager out again (null) when it destroys
// them, so nothing here points at an object that is gone.
#pragma once

class H2DDisplayDevice;
class HEventManager;

class HGlobal {
public:
    HGlobal() = delete;

    // Copies at most 1023 characters; null is ignored.
    static void s_registerCommandLine(const char* cmdLine);
    static const char* s_getCommandLine();
    static void s_registerResourceDir(const char* dir);
    static const char* s_getResourceDir();
    // Not owned; null unregisters.
    static void s_register2DDisplayDevice(H2DDisplayDevice* device);
    static H2DDisplayDevice* s_get2DDisplayDevice();
    static void s_registerEventManager(HEventManager* manager);
    static HEventManager* s_getEventManager();

private:
    static char sm_aCmdLine[1024];
    static char sm_aResourceDir[1024];
    static H2DDisplayDevice* sm_p2DDisplayDevice;
    static HEventManager* sm_pEventManager;
};
