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

# The program's own Qt code converts between bytes and text only where it says how: no implicit
# char* or QByteArray to QString (the texts of files and devices are 8-bit, not UTF-8), no
# QString to char*, no QString to QUrl. Tests and benchmarks may take the shortcuts.
function(vormatic_strict_strings target)
    target_compile_definitions(${target} PRIVATE
        QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
        QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)
endfunction()
