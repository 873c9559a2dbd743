# The installed tree (cmake --install build --prefix P), which works wherever it is put and
# without the source tree:
#   bin/                                orvexport, orvdump, and the plug-in module beside orvexport
#   lib/                                the shared libraries they load (platform, scene library)
#   share/orvelle-export/3dm/           the .3dm converter: convert3dm.js and lib/
#   share/orvelle-export/node_modules/  its npm package rhino3dm, copied from node_modules/
# The programs find the libraries through their run path, and orvexport finds the converter
# relative to itself (ORV_CONVERTER_FROM_BIN), as in the build tree.
install(TARGETS orvexport orvdump RUNTIME DESTINATION bin)
install(TARGETS ORVExportPlugIn6 LIBRARY DESTINATION bin)
install(TARGETS platform COrv6_64 LIBRARY DESTINATION lib)
install(FILES ${PROJECT_SOURCE_DIR}/tools/3dm/convert3dm.js DESTINATION ${ORV_CONVERTER_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/3dm/lib DESTINATION ${ORV_CONVERTER_DIR})
# The converter's one npm package, as bootstrap installed it; without it, .3dm models cannot be
# read until `npm ci --omit=dev` is run in P/share/orvelle-export (package files installed there).
install(FILES ${PROJECT_SOURCE_DIR}/package.json ${PROJECT_SOURCE_DIR}/package-lock.json
  DESTINATION share/orvelle-export)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/node_modules/rhino3dm
  DESTINATION share/orvelle-export/node_modules OPTIONAL)
install(CODE "
  if(NOT EXISTS \"\${CMAKE_INSTALL_PREFIX}/share/orvelle-export/node_modules/rhino3dm\")
    message(WARNING \"node_modules/rhino3dm is missing (run scripts/bootstrap): .3dm models cannot \"
      \"be read until 'npm ci --omit=dev' runs in \${CMAKE_INSTALL_PREFIX}/share/orvelle-export\")
  endif()")
