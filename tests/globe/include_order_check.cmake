# Checks that the includes inside the globe point one way only: a file's header and source count
# as one module, and the modules of globe/ and globe/view/ joined by their `#include "globe/..."`
# lines must form no cycle.
# Run: cmake -DSOURCE_DIR=<repository> -P include_order_check.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

file(GLOB files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/globe/*.h" "${SOURCE_DIR}/globe/*.cpp"
     "${SOURCE_DIR}/globe/view/*.h" "${SOURCE_DIR}/globe/view/*.cpp")
if(NOT files)
    message(FATAL_ERROR "no globe sources under ${SOURCE_DIR}")
endif()

# Module names carry "/" and "_": they are turned into variable-safe keys for the edge lists.
set(modules "")
foreach(file IN LISTS files)
    string(REGEX REPLACE "\\.(h|cpp)$" "" module "${file}")
    string(MAKE_C_IDENTIFIER "${module}" key)
    list(APPEND modules "${module}")
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"globe/")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"(globe/[^\"]+)\\.(h|cpp)\".*$" "\\1"
                             target "${line}")
        if(NOT target STREQUAL module)
            list(APPEND "uses_${key}" "${target}")
        endif()
    endforeach()
endforeach()
list(REMOVE_DUPLICATES modules)

# Peel off modules that use no remaining module; whatever cannot be peeled lies on a cycle or
# leads into one.
set(remaining ${modules})
set(progress TRUE)
while(progress AND remaining)
    set(progress FALSE)
    foreach(module IN LISTS remaining)
        string(MAKE_C_IDENTIFIER "${module}" key)
        set(blocked FALSE)
        foreach(target IN LISTS "uses_${key}")
            if(target IN_LIST remaining)
                set(blocked TRUE)
                break()
            endif()
        endforeach()
        if(NOT blocked)
            list(REMOVE_ITEM remaining "${module}")
            set(progress TRUE)
        endif()
    endforeach()
endwhile()

if(remaining)
    set(report "")
    foreach(module IN LISTS remaining)
        string(MAKE_C_IDENTIFIER "${module}" key)
        foreach(target IN LISTS "uses_${key}")
            if(target IN_LIST remaining)
                string(APPEND report "\n  ${module} -> ${target}")
            endif()
        endforeach()
    endforeach()
    message(FATAL_ERROR "include cycle among globe modules:${report}")
endif()
list(LENGTH modules count)
message(STATUS "${count} globe modules, includes point one way")
