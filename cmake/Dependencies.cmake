# Every outside library the layers link, found once through pkg-config.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo)
pkg_check_modules(RSVG REQUIRED IMPORTED_TARGET librsvg-2.0)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
pkg_check_modules(LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
pkg_check_modules(LIBCRYPTO REQUIRED IMPORTED_TARGET libcrypto)
pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
# Debian's litehtml ships a bare shared library (no pkg-config file, a CMake package without
# include paths), so it is named here.
find_library(LITEHTML_LIBRARY litehtml REQUIRED)
find_library(GUMBO_LIBRARY gumbo REQUIRED)
add_library(litehtml::litehtml INTERFACE IMPORTED)
target_link_libraries(litehtml::litehtml INTERFACE ${LITEHTML_LIBRARY} ${GUMBO_LIBRARY})
find_package(fmt REQUIRED)
