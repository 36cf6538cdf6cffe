# Shared build rules: warnings everywhere, the sanitized test build, precompiled headers,
# ccache, and the helpers that declare libraries, Qt libraries and test programs.
#
# With TALLYFOLD_SANITIZED_TESTS every source is still compiled once. The plain-C++ libraries
# and test programs declared SANITIZED are compiled under ASan + UBSan; the Qt libraries, the
# QTest programs and the executables are compiled plain and link the sanitized libraries (the
# sanitizer runtimes come with them as a link requirement). A second, uninstrumented set of
# libraries would cost a compile of the whole tree below the screens for programs no test
# runs; the program that setup/run.sh builds and the benchmark's own build are plain.

find_package(GTest)

set(TF_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

option(TALLYFOLD_CCACHE "Compile through ccache when it is installed" ON)
option(TALLYFOLD_PCH "Precompile the GoogleTest, standard and Qt Widgets headers" ON)

# --- ccache -----------------------------------------------------------------------------------
# Used when installed (or when named as the launcher). Its base directory is the source root,
# so that a fresh clone in another folder finds what an earlier clone compiled, and the debug
# information names paths relative to it (otherwise ccache keys every object with -g on the
# build folder). Precompiled headers need the pch_defines and time_macros sloppiness: ccache
# cannot see a __TIME__ or a #define hidden in the precompiled state.
if(TALLYFOLD_CCACHE)
  set(tf_ccache "")
  if(NOT CMAKE_CXX_COMPILER_LAUNCHER)
    find_program(TF_CCACHE_PROGRAM ccache)
    if(TF_CCACHE_PROGRAM)
      set(tf_ccache ${TF_CCACHE_PROGRAM})
    endif()
  elseif(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "(^|/)ccache$")
    set(tf_ccache ${CMAKE_CXX_COMPILER_LAUNCHER})
  endif()
  if(tf_ccache)
    # Keep what the user's own configuration already relaxes.
    execute_process(COMMAND ${tf_ccache} --get-config sloppiness
                    OUTPUT_VARIABLE tf_sloppiness OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    string(REPLACE " " "" tf_sloppiness "${tf_sloppiness}")
    string(REPLACE "," ";" tf_sloppiness "${tf_sloppiness}")
    list(APPEND tf_sloppiness pch_defines time_macros)
    list(REMOVE_ITEM tf_sloppiness "")
    list(REMOVE_DUPLICATES tf_sloppiness)
    list(JOIN tf_sloppiness "," tf_sloppiness)
    set(tf_launcher env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_SLOPPINESS=${tf_sloppiness} ${tf_ccache})
    set(CMAKE_C_COMPILER_LAUNCHER ${tf_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${tf_launcher})
    add_compile_options(-fdebug-prefix-map=${PROJECT_SOURCE_DIR}=.)
    message(STATUS "Compiling through ${tf_ccache} (base directory ${PROJECT_SOURCE_DIR})")
  endif()
endif()

# --- precompiled headers ------------------------------------------------------------------------
# One host target per set of compile flags builds each precompiled header once; every program
# or library with the same flags reuses it (GCC refuses a header precompiled with other flags,
# and -Winvalid-pch, which CMake adds, turns that into an error under TALLYFOLD_WERROR).
set(TF_PCH_STD
  <algorithm> <cstdint> <cstdio> <cstdlib> <cstring> <filesystem> <fstream> <functional> <map>
  <memory> <optional> <set> <sstream> <string> <string_view> <vector>)
set(TF_PCH_GTEST <gtest/gtest.h> ${TF_PCH_STD})
# QtTest is left out: each test folder defines its own QT_TESTCASE_BUILDDIR, which QtTest reads.
set(TF_PCH_QT
  <QApplication> <QDialog> <QHBoxLayout> <QLabel> <QLineEdit> <QPainter> <QPushButton> <QString>
  <QTimer> <QToolButton> <QVBoxLayout> <QWidget> ${TF_PCH_STD})

function(tf_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TALLYFOLD_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

function(tf_sanitize target)
  target_compile_options(${target} PRIVATE ${TF_SANITIZE_FLAGS})
  target_link_options(${target} PRIVATE ${TF_SANITIZE_FLAGS})
endfunction()

# The compile flags of a test program (and of the host of its precompiled header). Test code is
# fixtures and assertions, not the code under test: outside Debug it compiles at -Og, which under
# ASan takes about half the time of -O2 (GoogleTest's macros make large functions) and leaves it
# easier to step through. The libraries under test keep the build type's optimization.
function(_tf_test_flags target sanitized)
  tf_warnings(${target})
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Og>)
  if(sanitized)
    tf_sanitize(${target})
  endif()
endfunction()

# _tf_use_pch(TARGET KIND): TARGET reuses the precompiled header of KIND (gtest, gtest_san for
# GoogleTest programs; qt for Qt libraries, qt_test for QTest programs), whose host target is
# made on first use.
function(_tf_use_pch target kind)
  if(NOT TALLYFOLD_PCH)
    return()
  endif()
  set(host tf_pch_${kind})
  if(NOT TARGET ${host})
    set(src ${PROJECT_BINARY_DIR}/pch/${host}.cpp)
    file(CONFIGURE OUTPUT ${src} CONTENT "// Builds the precompiled header that other targets reuse.\n")
    add_library(${host} OBJECT ${src})
    target_include_directories(${host} PRIVATE ${PROJECT_SOURCE_DIR})
    if(kind MATCHES "^qt")
      target_link_libraries(${host} PRIVATE Qt6::Widgets)
      if(kind STREQUAL "qt_test")
        _tf_test_flags(${host} OFF)
      else()
        tf_warnings(${host})
      endif()
      target_precompile_headers(${host} PRIVATE ${TF_PCH_QT})
    else()
      target_link_libraries(${host} PRIVATE GTest::gtest)
      if(kind STREQUAL "gtest_san")
        _tf_test_flags(${host} ON)
      else()
        _tf_test_flags(${host} OFF)
      endif()
      target_precompile_headers(${host} PRIVATE ${TF_PCH_GTEST})
    endif()
  endif()
  target_precompile_headers(${target} REUSE_FROM ${host})
endfunction()

# Whether a library or test declared SANITIZED is compiled under the sanitizers in this build.
function(_tf_sanitized out flag)
  if(flag AND TALLYFOLD_SANITIZED_TESTS)
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

# tf_library(NAME SOURCES ... DEPS ... [SANITIZED])
# A static library of plain C++. With SANITIZED and TALLYFOLD_SANITIZED_TESTS it is compiled
# under ASan + UBSan, and whatever links it links the sanitizer runtimes too.
function(tf_library name)
  cmake_parse_arguments(ARG "SANITIZED" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  tf_warnings(${name})
  _tf_sanitized(san ${ARG_SANITIZED})
  if(san)
    target_compile_options(${name} PRIVATE ${TF_SANITIZE_FLAGS})
    target_link_options(${name} INTERFACE ${TF_SANITIZE_FLAGS})
  endif()
endfunction()

# tf_test(NAME SOURCES ... DEPS ... [SANITIZED] [LABELS ...])
# A GoogleTest program registered with CTest; with SANITIZED and TALLYFOLD_SANITIZED_TESTS it is
# compiled under ASan + UBSan.
function(tf_test name)
  cmake_parse_arguments(ARG "SANITIZED" "" "SOURCES;DEPS;LABELS" ${ARGN})
  _tf_sanitized(san ${ARG_SANITIZED})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  _tf_test_flags(${name} ${san})
  if(san)
    _tf_use_pch(${name} gtest_san)
  else()
    _tf_use_pch(${name} gtest)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "UBSAN_OPTIONS=print_stacktrace=1;ASAN_OPTIONS=detect_leaks=1")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# tf_qt_library(NAME SOURCES ... DEPS ...): a library of Qt forms (moc on), compiled plain.
function(tf_qt_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} Qt6::Widgets)
  tf_warnings(${name})
  _tf_use_pch(${name} qt)
endfunction()

# tf_qt_test(NAME SOURCES ... DEPS ...): a QTest program run on the offscreen platform, compiled
# plain (it links the sanitized libraries below the forms in the sanitized build).
function(tf_qt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Widgets Qt6::Test)
  _tf_test_flags(${name} OFF)
  _tf_use_pch(${name} qt_test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
