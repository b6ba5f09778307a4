// The process-wide registry.
#include "engine/core/HGlobal.h"

#include "engine/core/HUtil.h"

char HGlobal::sm_aCmdLine[1024] = "";
char HGlobal::sm_aResourceDir[1024] = "";
H2DDisplayDevice* HGlobal::sm_p2DDisplayDevice = nullptr;
HEventManager* HGlobal::sm_pEventManager = nullptr;

void HGlobal::s_registerCommandLine(const char* cmdLine)
{
    if (cmdLine)
        HUtil::s_strcpy(sm_aCmdLine, cmdLine, sizeof(sm_aCmdLine));
}

const char* HGlobal::s_getCommandLine()
{
    return sm_aCmdLine;
}

void HGlobal::s_registerResourceDir(const char* dir)
{
    if (dir)
        HUtil::s_strcpy(sm_aResourceDir, dir, sizeof(sm_aResourceDir));
}

const char* HGlobal::s_getResourceDir()
{
    return sm_aResourceDir;
}

void HGlobal::s_register2DDisplayDevice(H2DDisplayDevice* device)
{
    sm_p2DDisplayDevice = device;
}

H2DDisplayDevice* HGlobal::s_get2DDisplayDevice()
{
    return sm_p2DDisplayDevice;
}

void HGlobal::s_registerEventManager(HEventManager* manager)
{
    sm_pEventManager = manager;
}

HEventManager* HGlobal::s_getEventManager()
{
    return sm_pEventManager;
}
