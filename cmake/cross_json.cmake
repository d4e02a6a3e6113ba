# The cross build uses the distribution's header-only nlohmann-json and CLI11. Their package configs would
# put the host's /usr/include on the cross compiler's path, so a config of our own points at
# a directory holding nothing but links to their headers.
set(qv_json_dir ${CMAKE_BINARY_DIR}/cross-deps)
file(MAKE_DIRECTORY ${qv_json_dir}/include)
if(NOT EXISTS ${qv_json_dir}/include/nlohmann)
  file(CREATE_LINK /usr/include/nlohmann ${qv_json_dir}/include/nlohmann SYMBOLIC)
endif()
file(WRITE ${qv_json_dir}/nlohmann_jsonConfig.cmake [=[
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/include")
endif()
]=])
file(COPY /usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake DESTINATION ${qv_json_dir})
set(nlohmann_json_DIR ${qv_json_dir} CACHE PATH "nlohmann-json package config for the cross build" FORCE)

# CLI11, header-only too, the same way.
if(NOT EXISTS ${qv_json_dir}/include/CLI)
  file(CREATE_LINK /usr/include/CLI ${qv_json_dir}/include/CLI SYMBOLIC)
endif()
file(WRITE ${qv_json_dir}/CLI11Config.cmake [=[
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/include")
endif()
]=])
file(COPY /usr/share/cmake/CLI11/CLI11ConfigVersion.cmake DESTINATION ${qv_json_dir})
set(CLI11_DIR ${qv_json_dir} CACHE PATH "CLI11 package config for the cross build" FORCE)
