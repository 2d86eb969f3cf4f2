# Warnings for our own code only; third-party headers come in as system includes.
add_library(zimbalo_warnings INTERFACE)
target_compile_options(zimbalo_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
if(ZIMBALO_WERROR)
    target_compile_options(zimbalo_warnings INTERFACE -Werror)
endif()

# The numeric layers (astro, globe) also warn about silent narrowing conversions.
add_library(zimbalo_warnings_strict INTERFACE)
target_link_libraries(zimbalo_warnings_strict INTERFACE zimbalo_warnings)
target_compile_options(zimbalo_warnings_strict INTERFACE -Wconversion -Wsign-conversion)

# zimbalo_add_test_executable(<name> SOURCES <sources...> LIBS <libs...> [LABELS <label>])
# (one label: discovered tests take it as a property; a folder adds more with the LABELS
# directory property)
# Builds one GoogleTest executable and registers its tests with CTest.
function(zimbalo_add_test_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock zimbalo_warnings)
    if(NOT ARG_LABELS)
        set(ARG_LABELS unit)
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                         PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    add_dependencies(${name} zimbalo_data)
endfunction()
