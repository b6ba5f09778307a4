# What the tests and the fuzz targets link beyond the engine's libraries:
# GoogleTest (the suites only), and Xlib with its XTEST extension, through
# which the test support reads a real window back and drives its pointer and
# keyboard. Each is a Debian package of scripts/setup's test set.
#
# qv_find_test_dependencies(<missing> [GTEST]): looks for them quietly and
# sets <missing> to a readable list of those that are not installed (empty
# when all are). GoogleTest is looked for only with GTEST. The imported
# targets it makes (GTest::gtest, PkgConfig::X11, PkgConfig::XTST) are seen
# by every folder added after the call.
macro(qv_find_test_dependencies missing)
    set(${missing} "")
    if("GTEST" IN_LIST ARGN)
        find_package(GTest QUIET)
        if(NOT GTest_FOUND)
            list(APPEND ${missing} "GoogleTest (libgtest-dev)")
        endif()
    endif()
    pkg_check_modules(X11 QUIET IMPORTED_TARGET x11)
    if(NOT X11_FOUND)
        list(APPEND ${missing} "the X11 library (libx11-dev)")
    endif()
    pkg_check_modules(XTST QUIET IMPORTED_TARGET xtst)
    if(NOT XTST_FOUND)
        list(APPEND ${missing} "the XTEST library (libxtst-dev)")
    endif()
    list(JOIN ${missing} ", " ${missing})
endmacro()
