# Run by CPack once the package is made. CPack gives every package with a
# shared library below /usr/lib maintainer scripts that only run ldconfig.
# Our library lies in a private folder that the loader never searches, so
# they do nothing, except that a package with a postrm stays listed
# ("config-files") after dpkg -r. The package is made again without them;
# scripts that do anything else are kept.
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${deb}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND ${DPKG_DEB} --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    foreach(script postinst postrm)
        if(EXISTS ${tree}/DEBIAN/${script})
            file(STRINGS ${tree}/DEBIAN/${script} lines)
            list(FILTER lines EXCLUDE REGEX "^(#!/bin/sh|set -e|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then|\tldconfig|fi|)$")
            if(lines STREQUAL "")
                file(REMOVE ${tree}/DEBIAN/${script})
            endif()
        endif()
    endforeach()
    execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build ${tree} ${deb}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
