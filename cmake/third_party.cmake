# nlohmann/json and {fmt} are used header-only, from Debian's packages.
#
# A cross build must not see the host's /usr/include (its C library headers
# break MinGW), so the two header trees are copied into a build-local folder
# that holds nothing else.
add_library(third_party_headers INTERFACE)
target_compile_definitions(third_party_headers INTERFACE FMT_HEADER_ONLY)

if(CMAKE_CROSSCOMPILING)
  foreach(header nlohmann/json.hpp fmt/xchar.h)
    string(MAKE_C_IDENTIFIER ${header} variable)
    find_path(${variable} ${header} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    get_filename_component(tree ${header} DIRECTORY)
    file(COPY ${${variable}}/${tree} DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
  endforeach()
  target_include_directories(third_party_headers SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)
else()
  find_package(nlohmann_json 3.10.5 REQUIRED)
  find_package(fmt REQUIRED)
  target_link_libraries(third_party_headers INTERFACE nlohmann_json::nlohmann_json fmt::fmt-header-only)
endif()

# GoogleTest: built from Debian's sources for the Windows target, the host
# package otherwise.
if(BUILD_TESTING)
  if(CMAKE_CROSSCOMPILING)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
