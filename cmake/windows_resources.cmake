# The Windows programs' resources, compiled by mingw-w64's windres: a version
# resource whose numbers come from project(VERSION), the icon made from
# packaging/kivrel.svg, and the application manifest.
#
# kivrel_windows_resources(TARGET) gives TARGET all three.

# The file version has four parts, the product version three:
# 4.0.1 is file version 4.0.0.1 and product version 4.0.1.
set(KIVREL_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${PROJECT_VERSION_PATCH}")
set(KIVREL_FILE_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,${PROJECT_VERSION_PATCH}")
set(KIVREL_PRODUCT_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
set(KIVREL_MANIFEST "${PROJECT_SOURCE_DIR}/packaging/windows/kivrel.manifest")
set(KIVREL_ICON "${CMAKE_BINARY_DIR}/resources/kivrel.ico")

# The icon in the sizes Windows picks from, 16 to 256 pixels; the 256-pixel
# picture is stored as PNG, which keeps the file small.
find_program(KIVREL_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(KIVREL_ICOTOOL icotool REQUIRED)
set(svg "${PROJECT_SOURCE_DIR}/packaging/kivrel.svg")
set(folder "${CMAKE_BINARY_DIR}/resources")
set(renders)
set(small)
foreach(size 16 20 24 32 40 48 64 128 256)
  list(APPEND renders COMMAND "${KIVREL_RSVG_CONVERT}" -w ${size} -h ${size} -o "${folder}/kivrel-${size}.png" "${svg}")
  if(size LESS 256)
    list(APPEND small "${folder}/kivrel-${size}.png")
  endif()
endforeach()
add_custom_command(OUTPUT "${KIVREL_ICON}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
  ${renders}
  COMMAND "${KIVREL_ICOTOOL}" -c -o "${KIVREL_ICON}" ${small} -r "${folder}/kivrel-256.png"
  DEPENDS "${svg}"
  COMMENT "Making the icon from packaging/kivrel.svg"
  VERBATIM)
add_custom_target(kivrel_icon DEPENDS "${KIVREL_ICON}")

function(kivrel_windows_resources target)
  get_target_property(KIVREL_RESOURCE_NAME ${target} OUTPUT_NAME)
  if(NOT KIVREL_RESOURCE_NAME)
    set(KIVREL_RESOURCE_NAME ${target})
  endif()
  set(KIVREL_RESOURCE_FILE "${KIVREL_RESOURCE_NAME}${CMAKE_EXECUTABLE_SUFFIX}")
  set(rc "${CMAKE_BINARY_DIR}/resources/${target}.rc")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/kivrel.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  set_source_files_properties("${rc}" TARGET_DIRECTORY ${target}
                              PROPERTIES OBJECT_DEPENDS "${KIVREL_ICON};${KIVREL_MANIFEST}")
  add_dependencies(${target} kivrel_icon)
endfunction()
