# Warnings and Qt safety defines that every target of the project links.
add_library(gearlog_common INTERFACE)
target_compile_options(gearlog_common INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wformat=2)
target_compile_definitions(gearlog_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_URL_CAST_FROM_STRING)

# The project's version, for the programs' --version and About.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${CMAKE_BINARY_DIR}/generated/GearlogVersion.h)
target_include_directories(gearlog_common INTERFACE $<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/generated>)

# Installs the CMake package files of a library exported as <Name>Targets.
include(CMakePackageConfigHelpers)
function(gearlog_install_package name)
    set(dir ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
    install(EXPORT ${name}Targets NAMESPACE ${name}:: DESTINATION ${dir})
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
        "include(CMakeFindDependencyMacro)\nfind_dependency(Qt6 COMPONENTS Widgets)\n"
        "include(\${CMAKE_CURRENT_LIST_DIR}/${name}Targets.cmake)\n")
    write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
        VERSION 1.0.0 COMPATIBILITY SameMajorVersion)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
        ${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake DESTINATION ${dir})
endfunction()
