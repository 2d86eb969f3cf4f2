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
