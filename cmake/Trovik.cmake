# Compiler settings and the build helpers every folder uses:
#   trovik_library(<target> SOURCES ... [DEPENDS ...])
#   trovik_test(<target> SOURCES ... [LIBS ...])
#   trovik_folder_library / trovik_folder_tests (below): the same by folder
#   conventions, so that adding a file needs no build edit.

set(TROVIK_WARNINGS -Wall -Wextra -Wshadow)
# The native build is the sanitizers' unless it is a Release build (the
# native trovfind measured against grep), or TROVIK_SANITIZE says otherwise.
if(CMAKE_BUILD_TYPE STREQUAL "Release")
    set(TROVIK_SANITIZE_DEFAULT OFF)
else()
    set(TROVIK_SANITIZE_DEFAULT ON)
endif()
option(TROVIK_SANITIZE "Native build: AddressSanitizer and UndefinedBehaviorSanitizer"
       ${TROVIK_SANITIZE_DEFAULT})
option(TROVIK_BENCHMARKS "Build the benchmarks (scripts/bench)" OFF)
# Seconds a test may run: a few times what the usual test takes, so that one
# that hangs fails in a minute rather than a quarter of an hour. The slower
# ones name their own (trovik_test_timeout), at three to four times their
# running time on a loaded machine.
set(TROVIK_TEST_TIMEOUT 60)

if(WIN32)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
                   @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                   GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
    # The runtime is linked statically: the product may import system DLLs only.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
elseif(TROVIK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()

# Compiles `target` from `sources` with the project's warnings, the sources
# rooted at the repository for includes.
function(trovik_target_defaults target)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${TROVIK_WARNINGS})
endfunction()

function(trovik_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    trovik_target_defaults(${target})
    target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
endfunction()

# A 32-bit Windows program may use the address space above 2 GiB (up to 4 GiB
# on a 64-bit system), where big files find room to be mapped. A library takes
# what its host program was linked with.
function(trovik_large_address_aware target)
    if(WIN32)
        target_link_options(${target} PRIVATE -Wl,--large-address-aware)
    endif()
endfunction()

# One executable is one ctest entry; under Windows ctest starts it through Wine,
# and it runs on the project's memory manager like the product.
function(trovik_test target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    trovik_target_defaults(${target})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} gtest_main)
    trovik_large_address_aware(${target})
    if(WIN32 AND COMMAND trovik_use_memory_manager)
        trovik_use_memory_manager(${target})
    endif()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT ${TROVIK_TEST_TIMEOUT})
endfunction()

# trovik_test_timeout(<seconds> <test>...)
# A longer timeout for the named tests of the current folder that exist in
# this configuration.
function(trovik_test_timeout seconds)
    foreach(test ${ARGN})
        if(TEST ${test})
            set_tests_properties(${test} PROPERTIES TIMEOUT ${seconds})
        endif()
    endforeach()
endfunction()

# Folder conventions, so that adding a file needs no build edit:
#   <folder>/*.cpp          pure code, built in both configurations;
#   <folder>/*_win32.cpp    thin files over the Windows API, Windows only;
#   <folder>/*_native.cpp   native stand-ins for those thin files, native only.
function(trovik_sources_of dir out_var)
    cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
    file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp)
    set(kept)
    foreach(file ${files})
        get_filename_component(name ${file} NAME)
        if(name IN_LIST ARG_EXCLUDE)
            continue()
        elseif(name MATCHES "_win32(_test)?\\.cpp$")
            if(WIN32)
                list(APPEND kept ${file})
            endif()
        elseif(name MATCHES "_native(_test)?\\.cpp$")
            if(NOT WIN32)
                list(APPEND kept ${file})
            endif()
        else()
            list(APPEND kept ${file})
        endif()
    endforeach()
    set(${out_var} ${kept} PARENT_SCOPE)
endfunction()

# trovik_folder_library(<target> [DEPENDS ...] [EXCLUDE file.cpp ...])
# The library of the current folder; skipped in a configuration where it has no
# source (a folder of Windows-only code in the native build).
function(trovik_folder_library target)
    cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
    trovik_sources_of(${CMAKE_CURRENT_SOURCE_DIR} sources EXCLUDE ${ARG_EXCLUDE})
    if(NOT sources)
        return()
    endif()
    trovik_library(${target} SOURCES ${sources} DEPENDS ${ARG_DEPENDS})
endfunction()

# trovik_folder_tests([LIBS ...] [EXCLUDE file.cpp ...])
# Every *_test.cpp of the current tests folder is one test executable, named
# <folder>_<file>; the folder's other .cpp files are shared support code that
# every one of them links. LIBS that do not exist in this configuration are
# dropped, so a test that needs one must itself be *_win32_test.cpp.
function(trovik_folder_tests)
    cmake_parse_arguments(ARG "" "" "LIBS;EXCLUDE" ${ARGN})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    trovik_sources_of(${CMAKE_CURRENT_SOURCE_DIR} sources EXCLUDE ${ARG_EXCLUDE})
    set(libs)
    foreach(lib ${ARG_LIBS})
        if(TARGET ${lib})
            list(APPEND libs ${lib})
        endif()
    endforeach()
    set(mains ${sources})
    list(FILTER mains INCLUDE REGEX "_test\\.cpp$")
    set(support ${sources})
    list(FILTER support EXCLUDE REGEX "_test\\.cpp$")
    if(support)
        trovik_library(${folder}_test_support SOURCES ${support} DEPENDS ${libs} gtest)
        list(APPEND libs ${folder}_test_support)
    endif()
    foreach(main ${mains})
        get_filename_component(name ${main} NAME_WE)
        trovik_test(${folder}_${name} SOURCES ${main} LIBS ${libs})
    endforeach()
endfunction()

# trovik_folder_tests_need(<target>)
# Every test executable of the current tests folder is built after <target>
# (the end-to-end tests load the built trovik.dll); nothing when <target>
# does not exist in this configuration.
function(trovik_folder_tests_need target)
    if(NOT TARGET ${target})
        return()
    endif()
    get_property(tests DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
    foreach(test ${tests})
        if(test MATCHES "_test$")
            add_dependencies(${test} ${target})
        endif()
    endforeach()
endfunction()

# trovik_program(<target> SOURCES ... [LIBS ...] [GUI] [PLATFORM_HEAP] [NATIVE])
# A Windows program built on the libraries (tools/), large-address-aware: a
# window program with GUI, on the platform's own heap with PLATFORM_HEAP (the
# benchmarks' measures of the platform), else on the project's memory manager
# like the product. Nothing in the native configuration unless NATIVE says
# that the program has a native build (its sources are then the native ones),
# which keeps the C library's allocation as the native tests do.
function(trovik_program target)
    cmake_parse_arguments(ARG "GUI;PLATFORM_HEAP;NATIVE" "" "SOURCES;LIBS" ${ARGN})
    if(NOT WIN32)
        if(ARG_NATIVE)
            find_package(Threads REQUIRED)
            add_executable(${target} ${ARG_SOURCES})
            trovik_target_defaults(${target})
            target_link_libraries(${target} PRIVATE ${ARG_LIBS} Threads::Threads)
        endif()
        return()
    endif()
    if(ARG_GUI)
        add_executable(${target} WIN32 ${ARG_SOURCES})
    else()
        add_executable(${target} ${ARG_SOURCES})
    endif()
    trovik_target_defaults(${target})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
    trovik_large_address_aware(${target})
    if(NOT ARG_PLATFORM_HEAP AND COMMAND trovik_use_memory_manager)
        trovik_use_memory_manager(${target})
    endif()
endfunction()

# trovik_benchmark(<target> SOURCES ... [LIBS ...] [WINDOWS_ONLY])
# A Google Benchmark program, built only with TROVIK_BENCHMARKS (scripts/bench).
function(trovik_benchmark target)
    cmake_parse_arguments(ARG "WINDOWS_ONLY" "" "SOURCES;LIBS" ${ARGN})
    if(NOT TROVIK_BENCHMARKS OR (ARG_WINDOWS_ONLY AND NOT WIN32))
        return()
    endif()
    add_executable(${target} ${ARG_SOURCES})
    trovik_target_defaults(${target})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} benchmark::benchmark)
    if(WIN32 AND COMMAND trovik_use_memory_manager)
        trovik_use_memory_manager(${target})
    endif()
endfunction()
