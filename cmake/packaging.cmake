# packaging.cmake - the package for setup authors, made from the shipping
# (i686) build with `cmake --build build/win32 --target package`: a ZIP and a
# TGZ holding
#   bin/dialogint.dll, bin/luinsres.dll      the library and its resources
#   bin/setuphost.exe                        the sample setup host
#   bin/media/                               the sample media the host runs on
#   bin/media/lang/<en|fr|de|es|ja|ru>/luinsres.dll  the resource module in each
#                                            language
#   bin/answers/                             answer files for unattended runs
#   bin/*pnint.dll, bin/fixint.dll           the sample's integration modules
#   bin/play_setup.exe, setup_autopilot.dll  the tests' click-script player,
#                                            which runs setuphost.exe and
#                                            presses its dialogs from outside
#   include/dialogint.h                      the host interface
#   samples/nsis/                            the NSIS sample setup script
#   docs/guide.md, docs/screenshots/setup/   the guide and its pictures
# The host loads dialogint.dll from its own folder and takes media\ beside
# itself, so bin/ runs as it is unpacked.

# Files, not targets: the import library and the static core stay out.
install(FILES $<TARGET_FILE:dialogint> $<TARGET_FILE:luinsres> DESTINATION bin)
install(PROGRAMS $<TARGET_FILE:setuphost> DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/media/ DESTINATION bin/media)
install(FILES $<TARGET_FILE:luinsres> DESTINATION bin/media)
foreach(target ${LUINSRES_LANGUAGE_TARGETS})
    string(REPLACE "luinsres_" "" code ${target})
    install(FILES $<TARGET_FILE:${target}> DESTINATION bin/media/lang/${code})
endforeach()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/answers/ DESTINATION bin/answers)
# The sample's integration modules, which the host puts beside the media copy
# (built with the tests, as they stand in for other applications' modules).
if(DIALOGINT_TESTS)
    install(FILES $<TARGET_FILE_DIR:pnint_standin>/apnint.dll $<TARGET_FILE_DIR:pnint_standin>/bpnint.dll
                  $<TARGET_FILE_DIR:pnint_standin>/cpnint.dll $<TARGET_FILE:fixint_standin>
            DESTINATION bin)
    # The player of the answer files and the pictures (test machinery, not
    # part of the host): play_setup.exe starts the host with its hook.
    install(PROGRAMS $<TARGET_FILE:play_setup> DESTINATION bin)
    install(FILES $<TARGET_FILE:setup_autopilot> DESTINATION bin)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/include/dialogint.h DESTINATION include)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/nsis/ DESTINATION samples/nsis)
install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md DESTINATION docs)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/screenshots/setup DESTINATION docs/screenshots OPTIONAL)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(DIALOGINT_PACKAGE_SYSTEM win32)
else()
    set(DIALOGINT_PACKAGE_SYSTEM win64)
endif()

set(CPACK_PACKAGE_NAME dialogint)
set(CPACK_PACKAGE_VENDOR Jor)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lumoria's installer support library, with a sample setup host")
set(CPACK_SYSTEM_NAME ${DIALOGINT_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_GENERATOR ZIP TGZ)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
