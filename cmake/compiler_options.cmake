# Host builds of the portable code can run under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test. Only our own targets
# are instrumented, never the third-party code they link.
option(PATCH_INSTALLER_SANITIZE "Build our own targets with ASan and UBSan (host builds)" OFF)

# Warnings (and the sanitizers, when on) for one of the project's own targets.
# Third-party code is built without them, and its headers are included as
# system headers. Every target includes our headers by module, from src/:
# #include "steam/steam_install.hpp".
function(project_options target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
  else()
    # The folders of the source and the build reach no binary (through
    # __FILE__ or debug information): a build elsewhere gives the same bytes.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
      -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=source/ -ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/)
  endif()
  if(MINGW)
    # A Windows release keeps for the shipped programs only what they reach,
    # optimized across files (add_program's SHIPPED): each header-only
    # library's code is otherwise compiled into every file that uses it. The
    # objects also hold ordinary code, so that the tests link them as usual.
    target_compile_options(${target} PRIVATE
      $<$<CONFIG:Release>:-flto=auto -ffat-lto-objects -ffunction-sections -fdata-sections>)
  endif()
  if(PATCH_INSTALLER_SANITIZE AND NOT MSVC)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

# Declares one of our programs:
#   add_program(name [WIN32] [WIDE_ENTRY] [SHIPPED] SOURCES...)
# WIN32 makes a GUI program (no console); WIDE_ENTRY enters it through
# wWinMain or wmain; SHIPPED, a program of the release zip, is linked with
# link-time optimization in a Windows release. For Windows the C++, GCC and thread runtimes are linked
# statically: a player's machine has no MinGW runtime, so the program must
# import Windows DLLs only. The image carries no link time, and a release
# build no symbols, so that the same sources give the same bytes.
function(add_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WIN32;WIDE_ENTRY;SHIPPED" "" "")
  if(arg_WIN32)
    add_executable(${name} WIN32 ${arg_UNPARSED_ARGUMENTS})
  else()
    add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
  endif()
  project_options(${name})
  if(MINGW)
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp
                                        $<$<CONFIG:Release>:-s>)
    if(arg_WIDE_ENTRY)
      target_link_options(${name} PRIVATE -municode)
    endif()
    # The driver would optimize every program across files once the objects
    # hold the optimizer's own form; only the shipped ones need it.
    if(arg_SHIPPED)
      target_link_options(${name} PRIVATE $<$<CONFIG:Release>:-flto=auto -Wl,--gc-sections>)
    else()
      target_link_options(${name} PRIVATE $<$<CONFIG:Release>:-fno-lto>)
    endif()
  endif()
endfunction()

# The Windows API as the project uses it: wide-character functions, Windows 7
# or later (K32EnumProcesses lives in kernel32 from there on), no min/max
# macros.
if(WIN32)
  add_library(windows_api INTERFACE)
  target_compile_definitions(windows_api INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 PSAPI_VERSION=2)
endif()
