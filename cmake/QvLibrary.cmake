# The engine's libraries, from highest layer to lowest. Programs, tests,
# fuzzers and benchmarks link the ones that exist in this order.
set(QV_ENGINE_LIBRARIES qv_game qv_framework qv_board qv_media qv_core)

# qv_add_library(<name> <folder>...): one static library from every .cpp file
# of the given folders, whatever each holds (most hold one class, some a
# layer of plain functions or a share of a larger class; header-only types
# need no source). A folder with no sources yet defines no library.
function(qv_add_library name)
    set(sources)
    foreach(dir IN LISTS ARGN)
        file(GLOB dir_sources CONFIGURE_DEPENDS
            ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
        list(APPEND sources ${dir_sources})
    endforeach()
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    if(NOT sources)
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

# qv_link_whole(<target> <library>...): class records register themselves from
# static initialisers in their own source files, so programs take every object
# of the engine's libraries, not only the ones a symbol reference pulls in.
# List higher layers first (qv_game before qv_core), and link other
# libraries that use them before this call, so each appears once.
function(qv_link_whole target)
    foreach(lib IN LISTS ARGN)
        if(NOT TARGET ${lib})
            continue()
        endif()
        target_link_libraries(${target} PRIVATE ${lib})
        # Every appearance of the library on this link line, including the
        # ones other libraries bring along, is taken whole.
        set_property(TARGET ${target} PROPERTY LINK_LIBRARY_OVERRIDE_${lib} WHOLE_ARCHIVE)
    endforeach()
endfunction()

# qv_link_engine(<target>): every engine library that exists, whole.
function(qv_link_engine target)
    qv_link_whole(${target} ${QV_ENGINE_LIBRARIES})
endfunction()
