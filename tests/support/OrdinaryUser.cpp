// Acting as an ordinary user when the tests run as root.
#include "tests/support/OrdinaryUser.h"

#include <ftw.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

int chownToOrdinaryUser(const char* path, const struct stat*, int, struct FTW*)
{
    return ::lchown(path, kOrdinaryUserId, kOrdinaryUserId);
}

} // namespace

bool runsAsRoot()
{
    return ::geteuid() == 0;
}

bool giveToOrdinaryUser(const std::string& tree)
{
    if (!runsAsRoot())
        return true;
    return ::nftw(tree.c_str(), chownToOrdinaryUser, 16, FTW_PHYS) == 0;
}

bool becomeOrdinaryUser()
{
    if (!runsAsRoot())
        return true;
    const gid_t group = kOrdinaryUserId;
    return ::setgroups(1, &group) == 0 && ::setgid(kOrdinaryUserId) == 0 && ::setuid(kOrdinaryUserId) == 0;
}

AsOrdinaryUser::AsOrdinaryUser(const std::string& tree) : m_bSwitched(false)
{
    if (!runsAsRoot())
        return;
    giveToOrdinaryUser(tree);
    m_bSwitched = ::seteuid(kOrdinaryUserId) == 0;
}

AsOrdinaryUser::~AsOrdinaryUser()
{
    if (m_bSwitched && ::seteuid(0) != 0)
        std::abort();
}

bool AsOrdinaryUser::active() const
{
    return ::geteuid() != 0;
}
