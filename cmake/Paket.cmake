# Assembles build/Ondrak Brimvale.app around the one executable.
configure_file(${CMAKE_SOURCE_DIR}/cmake/Info.plist.in "${BRIMVALE_ICERIK}/Info.plist" @ONLY)
file(MAKE_DIRECTORY "${BRIMVALE_ICERIK}/Helpers" "${BRIMVALE_ICERIK}/Library/LaunchAgents")
# The agent's definition: the bundle identifier (Info.plist) followed by ".ajan".
# The agent writes its own log; its output streams carry nothing worth a file.
set(BRIMVALE_AJAN_ETIKETI com.ondrak.brimvale.ajan)
configure_file(${CMAKE_SOURCE_DIR}/cmake/Ajan.plist.in
  "${BRIMVALE_ICERIK}/Library/LaunchAgents/${BRIMVALE_AJAN_ETIKETI}.plist" @ONLY)

# Localizations: every resources/<lang>.lproj folder is copied whole.
file(GLOB_RECURSE BRIMVALE_KAYNAKLAR CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
add_custom_command(
  OUTPUT "${CMAKE_BINARY_DIR}/kaynaklar.stamp"
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources "${BRIMVALE_ICERIK}/Resources"
  COMMAND ${CMAKE_COMMAND} -E touch "${CMAKE_BINARY_DIR}/kaynaklar.stamp"
  DEPENDS ${BRIMVALE_KAYNAKLAR}
  COMMENT "Copying bundle resources")
add_custom_target(brimvale_kaynaklar ALL DEPENDS "${CMAKE_BINARY_DIR}/kaynaklar.stamp")

