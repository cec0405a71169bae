# Windows reach each other through signals wired where the editor is
# assembled, never by including one another: a window's header is included by
# its own unit, by the assembly and by tests only, and nothing outside src/app/
# includes the assembly's or the main window's header.
#
#   cmake -DSOURCE_DIR=<the project's src folder> -P check_window_includes.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR not given")
endif()

# Where the editor is assembled: these may include every window.
set(assembly app/Editor.h app/Editor.cpp app/MainWindowFirst.h app/MainWindowFirst.cpp app/main.cpp)

# The assembly's headers: for src/app/ alone (the main window still takes the
# whole editor).
set(assembly_headers app/Editor.h app/MainWindowFirst.h)

# The window headers: each window has a form (X.ui) beside its unit (X.h),
# but for the updater's, which builds its few controls itself.
file(GLOB_RECURSE forms RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.ui")
set(window_headers update/UpdateUpdaterUnit.h)
foreach(form IN LISTS forms)
    string(REGEX REPLACE "\\.ui$" ".h" header "${form}")
    if(EXISTS "${SOURCE_DIR}/${header}")
        list(APPEND window_headers "${header}")
    endif()
endforeach()
if(NOT "app/FormMain.h" IN_LIST window_headers)
    message(FATAL_ERROR "no window headers found under ${SOURCE_DIR}")
endif()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(faults "")
foreach(source IN LISTS sources)
    if(source IN_LIST assembly)
        continue()
    endif()
    string(REGEX REPLACE "\\.(h|cpp)$" ".h" own_header "${source}")
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
        if(header IN_LIST assembly_headers)
            if(source MATCHES "^app/")
                continue()
            endif()
        elseif(header STREQUAL own_header OR NOT header IN_LIST window_headers)
            continue()
        endif()
        list(APPEND faults "${source} includes ${header}")
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "A window's header is included outside its own unit and the assembly, or the "
                        "assembly's outside src/app/ (connect a signal in Editor instead):\n  ${text}")
endif()
list(LENGTH window_headers count)
message(STATUS "window includes: ${count} window headers, included only by their own units and the assembly")
