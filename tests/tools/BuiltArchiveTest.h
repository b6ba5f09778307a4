// A test fixture over the archive the build made, read once per suite.
#pragma once

#include "tests/tools/ArchiveReader.h"

#include <gtest/gtest.h>

class BuiltArchiveTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_archive = new ArchiveReader();
        s_opened = s_archive->open(buildArchivePath());
    }
    static void TearDownTestSuite()
    {
        delete s_archive;
        s_archive = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_opened) << "cannot open " << buildArchivePath() << " (build the project first)"; }

    static inline ArchiveReader* s_archive = nullptr;
    static inline bool s_opened = false;
};
