# Warnings for the project's own targets. Third-party code is built without
# them, and its headers are included as system headers.
function(project_options target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  endif()
endfunction()

# A player's machine has no MinGW runtime: link the C++, GCC and thread
# runtimes statically so that an executable imports Windows DLLs only.
function(static_runtime target)
  if(MINGW)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
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

# Host builds of the portable code can run under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test.
option(PATCH_INSTALLER_SANITIZE "Build with ASan and UBSan (host builds)" OFF)
if(PATCH_INSTALLER_SANITIZE AND NOT MSVC)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
