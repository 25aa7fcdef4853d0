# What `cmake --install` puts on a system: moro-cli, the window (with its desktop entry and icon,
# see app/), and the image library, CDib over its platform layer, with its headers and a CMake
# package, so that another program can find_package(Moro) and link Moro::dib.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS moro-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(MORO_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/moro)
set(MORO_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Moro)
set_target_properties(moro_dib PROPERTIES EXPORT_NAME dib)
set_target_properties(moro_platform PROPERTIES EXPORT_NAME platform)
# Programs include the headers as this tree does: #include "dib/Dib.h".
target_include_directories(moro_dib INTERFACE $<INSTALL_INTERFACE:${MORO_INCLUDE_DIR}>)
target_compile_features(moro_dib INTERFACE cxx_std_20)
install(TARGETS moro_dib moro_platform EXPORT MoroTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The class headers and what they include; the folders' private headers stay behind.
file(GLOB MORO_PLATFORM_HEADERS ${CMAKE_SOURCE_DIR}/platform/*.h)
list(FILTER MORO_PLATFORM_HEADERS EXCLUDE REGEX "Internal\\.h$")
file(GLOB MORO_DIB_HEADERS ${CMAKE_SOURCE_DIR}/dib/*.h)
list(FILTER MORO_DIB_HEADERS EXCLUDE REGEX "DibBounds\\.h$")
install(FILES ${MORO_PLATFORM_HEADERS} DESTINATION ${MORO_INCLUDE_DIR}/platform)
install(FILES ${MORO_DIB_HEADERS} DESTINATION ${MORO_INCLUDE_DIR}/dib)
install(FILES ${CMAKE_SOURCE_DIR}/cpr/CprHeader.h DESTINATION ${MORO_INCLUDE_DIR}/cpr)

# The package: the targets, and the libraries they link found again on the using side.
# (platform/ links FreeType and fontconfig when it found them; their targets are its own.)
get_target_property(MORO_PLATFORM_LINKS moro_platform INTERFACE_LINK_LIBRARIES)
if(MORO_PLATFORM_LINKS MATCHES "PkgConfig::FREETYPE")
  set(MORO_WITH_FONTS ON)
else()
  set(MORO_WITH_FONTS OFF)
endif()
install(EXPORT MoroTargets NAMESPACE Moro:: DESTINATION ${MORO_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/MoroConfig.cmake.in
  ${CMAKE_BINARY_DIR}/MoroConfig.cmake INSTALL_DESTINATION ${MORO_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/MoroConfigVersion.cmake
  VERSION 1.0 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/MoroConfig.cmake ${CMAKE_BINARY_DIR}/MoroConfigVersion.cmake
  DESTINATION ${MORO_PACKAGE_DIR})
