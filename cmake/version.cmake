# The release's one version and publisher: every binary's version resource,
# the setup program, the web install's INF and page and the Add/Remove
# Programs entry take them from here.
set(RELEASE_PUBLISHER "Ostra Systems")
string(REPLACE "." ", " RELEASE_VERSION_TEXT ${PROJECT_VERSION})   # "1, 0, 1, 9", as the programs show it
string(REPLACE "." "," RELEASE_VERSION_COMMAS ${PROJECT_VERSION})  # 1,0,1,9

# add_version_resource(TARGET DESCRIPTION "..." PRODUCT "..." [SELF_REGISTER])
# gives TARGET the release's version resource.
function(add_version_resource target)
  cmake_parse_arguments(arg "SELF_REGISTER" "DESCRIPTION;PRODUCT" "" ${ARGN})
  get_target_property(type ${target} TYPE)
  get_target_property(internal_name ${target} OUTPUT_NAME)
  if(NOT internal_name)
    set(internal_name ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(file_type VFT_APP)
    set(file_name ${internal_name}.exe)
  else()
    set(file_type VFT_DLL)
    set(file_name ${internal_name}.dll)
  endif()
  set(self_register "")
  if(arg_SELF_REGISTER)  # regsvr32 and the web install register it
    set(self_register "      VALUE \"OLESelfRegister\", \"\"\n")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
