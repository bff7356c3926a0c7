# Common build settings and the helpers every folder uses.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

find_program(RK_CCACHE ccache)
if(RK_CCACHE)
    set(CMAKE_C_COMPILER_LAUNCHER "${RK_CCACHE}")
    set(CMAKE_CXX_COMPILER_LAUNCHER "${RK_CCACHE}")
endif()

# Programs, the plug-in folder and lang.txt sit side by side, as the program expects.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")

find_package(Qt6 6.2 REQUIRED COMPONENTS Core)

# One interface target carries the flags of all our code.
add_library(rk_common INTERFACE)
target_compile_options(rk_common INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${RK_WERROR}>:-Werror>)
target_compile_definitions(rk_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)
if(RK_SANITIZE)
    target_compile_options(rk_common INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(rk_common INTERFACE -fsanitize=address,undefined)
endif()

if(RK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "RK_FUZZ needs clang (CXX=clang++)")
    endif()
    target_compile_options(rk_common INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(rk_common INTERFACE -fsanitize=address,undefined)
endif()

# rk_add_library(NAME SOURCES ... [LIBS ...])
function(rk_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC rk_common ${ARG_LIBS})
    # Widgets libraries may declare signals and slots.
    if("Qt6::Widgets" IN_LIST ARG_LIBS)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
endfunction()

# rk_add_plugin(NAME SOURCES ... [OUTPUT_DIRECTORY dir])
# A plug-in library: Plugins/NAME.so without a "lib" prefix, linking only the shared
# declarations and the C++ standard library.
function(rk_add_plugin name)
    cmake_parse_arguments(ARG "" "OUTPUT_DIRECTORY" "SOURCES" ${ARGN})
    if(NOT ARG_OUTPUT_DIRECTORY)
        set(ARG_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin/Plugins")
    endif()
    add_library(${name} MODULE ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY "${ARG_OUTPUT_DIRECTORY}"
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_link_libraries(${name} PRIVATE rk_common rk_plugin_api)
    target_link_options(${name} PRIVATE
        -Wl,--no-undefined
        "-Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/plugin.map")
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS "${PROJECT_SOURCE_DIR}/cmake/plugin.map")
endfunction()

# rk_add_test(NAME SOURCES ... [LIBS ...] [GUI])
# Non-GUI tests run inside a QCoreApplication; GUI tests get the offscreen platform.
function(rk_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
    if(ARG_GUI)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE rk_test_main_gui ${ARG_LIBS})
        set(labels gui)
    else()
        target_link_libraries(${name} PRIVATE rk_test_main ${ARG_LIBS})
        set(labels core)
    endif()
    gtest_discover_tests(${name}
        TEST_PREFIX "${name}."
        WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/tests"
        PROPERTIES LABELS "${labels}"
        DISCOVERY_TIMEOUT 60)
endfunction()
