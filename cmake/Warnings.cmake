# Warnings for every build type; CI turns them into errors with -DVORMATIC_WERROR=ON.
set(VORMATIC_WARNINGS
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Wunused -Woverloaded-virtual -Wconversion
    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough -Wmisleading-indentation)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC only; clang (the fuzzing build) does not know them.
    list(APPEND VORMATIC_WARNINGS -Wduplicated-cond -Wlogical-op)
endif()
if(VORMATIC_WERROR)
    list(APPEND VORMATIC_WARNINGS -Werror)
endif()

function(vormatic_warnings target)
    target_compile_options(${target} PRIVATE ${VORMATIC_WARNINGS})
endfunction()
