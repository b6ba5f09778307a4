// The process-wide registry.
#include "engine/core/HGlobal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HGlobal, TextsAreCutAndNullIsIgnored)
{
    const std::string longDir(1500, 'd');
    HGlobal::s_registerResourceDir(longDir.c_str());
    EXPECT_EQ(std::string(HGlobal::s_getResourceDir()), longDir.substr(0, 1023));
    HGlobal::s_registerResourceDir(nullptr);
    EXPECT_EQ(std::string(HGlobal::s_getResourceDir()), longDir.substr(0, 1023));

    HGlobal::s_registerCommandLine("+set mv_trace 1 ");
    HGlobal::s_registerCommandLine(nullptr);
    EXPECT_STREQ(HGlobal::s_getCommandLine(), "+set mv_trace 1 ");
}

TEST(HGlobal, RemembersDevicePointers)
{
    int dummy = 0;
    auto* device = reinterpret_cast<H2DDisplayDevice*>(&dummy);
    HGlobal::s_register2DDisplayDevice(device);
    EXPECT_EQ(HGlobal::s_get2DDisplayDevice(), device);
    HGlobal::s_register2DDisplayDevice(nullptr);
    EXPECT_EQ(HGlobal::s_get2DDisplayDevice(), nullptr);
    auto* manager = reinterpret_cast<HEventManager*>(&dummy);
    HGlobal::s_registerEventManager(manager);
    EXPECT_EQ(HGlobal::s_getEventManager(), manager);
    HGlobal::s_registerEventManager(nullptr);
}

} // namespace
