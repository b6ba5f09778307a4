# qv_add_library(<name> <folder>...): one static library from every source file
# of the given folders (each folder holds one class per header/source pair).
function(qv_add_library name)
    set(sources)
    foreach(dir IN LISTS ARGN)
        file(GLOB dir_sources CONFIGURE_DEPENDS
            ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
        list(APPEND sources ${dir_sources})
    endforeach()
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
        target_link_libraries(${target} PRIVATE ${lib})
        # Every appearance of the library on this link line, including the
        # ones other libraries bring along, is taken whole.
        set_property(TARGET ${target} PROPERTY LINK_LIBRARY_OVERRIDE_${lib} WHOLE_ARCHIVE)
    endforeach()
endfunction()
