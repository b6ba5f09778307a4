// File permissions do not bind root. Tests of files that may not be read or
// written hand their folders to an ordinary user and then act as that user:
// this process for a while (AsOrdinaryUser), or a program it starts
// (ProgramSandbox::asOrdinaryUser). Without root nothing needs to change:
// permissions apply already.
#pragma once

#include <sys/types.h>

#include <string>

// The user (and group) "nobody".
constexpr uid_t kOrdinaryUserId = 65534;

// Whether the process runs as root, so that permissions do not bind it.
bool runsAsRoot();
// Gives `tree` and everything in it to the ordinary user (nothing changes
// without root); false when some of it could not be given.
bool giveToOrdinaryUser(const std::string& tree);
// In a child process before it executes a program: takes the ordinary user
// for good (its groups, group and user id). False when that failed.
bool becomeOrdinaryUser();

// While this object lives the process acts as the ordinary user, who owns
// `tree`. Without root it changes nothing.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const std::string& tree);
    ~AsOrdinaryUser();

    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

    // True when permissions now apply to this process.
    bool active() const;

private:
    bool m_bSwitched;
};
