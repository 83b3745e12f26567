# The settings file's JSON library is header-only, but its package points at /usr/include, whose C
# headers must not reach emscripten's compiler: the page's build sees its folder alone.
set(VORBIX_NLOHMANN_ROOT ${PROJECT_BINARY_DIR}/include-roots/nlohmann_json)
if(NOT EXISTS ${VORBIX_NLOHMANN_ROOT}/nlohmann/json.hpp)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
  endif()
  file(MAKE_DIRECTORY ${VORBIX_NLOHMANN_ROOT})
  file(CREATE_LINK /usr/include/nlohmann ${VORBIX_NLOHMANN_ROOT}/nlohmann SYMBOLIC)
endif()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${VORBIX_NLOHMANN_ROOT})
