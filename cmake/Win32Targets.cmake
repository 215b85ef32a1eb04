# The Windows build (mingw-w64, i686): Setup.exe and the Windows programs that
# the tests run under Wine.
#
# Setup.exe must load on Windows 98 SE, which has no C++ run-time DLL, and stay
# small: it is linked without the C run-time library and the compiler's start-up
# files (src/platform/win32/runtime provides what the program needs of them) and
# imports only from system DLLs that Windows 98 SE has. Nothing in it throws, so
# it is built without exceptions and without RTTI.

enable_language(RC)

set(SETUP_WIN32_COMPILE_OPTIONS
  -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-asynchronous-unwind-tables
  -ffunction-sections -fdata-sections)

# The portable library as the Windows build needs it: without the simulated
# machine and without this platform's own sources, which the targets below build.
get_target_property(_setup_core_sources setup_core SOURCES)
list(FILTER _setup_core_sources EXCLUDE REGEX "/src/platform/(sim|win32)/")
set_property(TARGET setup_core PROPERTY SOURCES ${_setup_core_sources})
target_compile_options(setup_core PRIVATE ${SETUP_WIN32_COMPILE_OPTIONS})

# The platform interfaces over the Windows API.
file(GLOB SETUP_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
list(FILTER SETUP_WIN32_SOURCES EXCLUDE REGEX "/WinMain\\.cpp$")
add_library(setup_win32 STATIC ${SETUP_WIN32_SOURCES})
target_link_libraries(setup_win32 PUBLIC setup_core)
target_compile_options(setup_win32 PRIVATE ${SETUP_WIN32_COMPILE_OPTIONS})

# What the program needs of a C and C++ run-time library.
file(GLOB SETUP_RUNTIME_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/win32/runtime/*.cpp)
add_library(setup_runtime STATIC ${SETUP_RUNTIME_SOURCES})
target_include_directories(setup_runtime PRIVATE ${CMAKE_SOURCE_DIR}/src)
# The string and memory functions must not be turned into calls of themselves.
target_compile_options(setup_runtime PRIVATE ${SETUP_WIN32_COMPILE_OPTIONS} -fno-builtin
  -fno-tree-loop-distribute-patterns)

set(SETUP_RC ${CMAKE_SOURCE_DIR}/src/res/Setup.rc)
set_source_files_properties(${SETUP_RC} PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/src/res/AppIcon.ico;${CMAKE_SOURCE_DIR}/src/res/DialogIcon.ico")

add_executable(Setup WIN32 ${CMAKE_SOURCE_DIR}/src/platform/win32/WinMain.cpp ${SETUP_RC})
target_compile_options(Setup PRIVATE ${SETUP_WIN32_COMPILE_OPTIONS})
target_include_directories(Setup PRIVATE ${CMAKE_SOURCE_DIR}/src/res)
set_target_properties(Setup PROPERTIES OUTPUT_NAME Setup SUFFIX .exe)
# Linked without the C run-time library and start-up files, for a system of
# 1998: Windows 95/98 refuse images that ask for subsystem 5.0 or later.
set(SETUP_RUNTIME_LINK_OPTIONS
  -nostdlib -nostartfiles -s
  -Wl,--entry=_WinMainCRTStartup
  -Wl,--gc-sections
  -Wl,--disable-reloc-section
  -Wl,--major-os-version=4 -Wl,--minor-os-version=0
  -Wl,--major-subsystem-version=4 -Wl,--minor-subsystem-version=0)
# The run-time library last but within one group, so that whatever the standard
# library's templates need is found in it.
set(SETUP_RUNTIME_LIBRARIES
  -Wl,--start-group setup_runtime stdc++ gcc kernel32 user32 gdi32 advapi32 shell32 ole32
  -Wl,--end-group)
target_link_options(Setup PRIVATE ${SETUP_RUNTIME_LINK_OPTIONS} -mwindows
  -Wl,-Map=${CMAKE_BINARY_DIR}/Setup.map)
target_link_libraries(Setup PRIVATE setup_win32 setup_core ${SETUP_RUNTIME_LIBRARIES})

# The run-time support itself, linked the same way (a console program).
add_executable(runtimecheck ${CMAKE_SOURCE_DIR}/tools/runtimecheck/runtimecheck.cpp)
target_include_directories(runtimecheck PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(runtimecheck PRIVATE ${SETUP_WIN32_COMPILE_OPTIONS})
target_link_options(runtimecheck PRIVATE ${SETUP_RUNTIME_LINK_OPTIONS} -mconsole)
target_link_libraries(runtimecheck PRIVATE ${SETUP_RUNTIME_LIBRARIES})

# The user's stand-in under Wine: waits for windows of Setup.exe, reads and
# presses their controls, answers message boxes, writes what it saw.
file(GLOB UIDRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/uidriver/*.cpp)
if(UIDRIVER_SOURCES)
  add_executable(uidriver ${UIDRIVER_SOURCES})
  target_include_directories(uidriver PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools)
  target_link_options(uidriver PRIVATE -s)
  # Message boxes of known kinds for the driver's own check.
  add_executable(uidriverdemo ${CMAKE_SOURCE_DIR}/tools/uidriverdemo/uidriverdemo.cpp)
  target_link_options(uidriverdemo PRIVATE -s)
endif()

# The machine loader's helper: volatile registry keys (HKLM\HARDWARE) for a Wine prefix.
add_executable(regvolatile ${CMAKE_SOURCE_DIR}/tools/wineprefix/regvolatile.cpp)
target_link_options(regvolatile PRIVATE -s)

# Exercises each platform interface over the real API (run under Wine by the tests).
file(GLOB WIN32CHECK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/win32check/*.cpp)
if(WIN32CHECK_SOURCES)
  add_executable(win32check ${WIN32CHECK_SOURCES} ${SETUP_RC})
  target_include_directories(win32check PRIVATE ${CMAKE_SOURCE_DIR}/src/res)
  target_link_libraries(win32check PRIVATE setup_win32 ole32 uuid)
  target_link_options(win32check PRIVATE -s)
  target_compile_options(win32check PRIVATE ${SETUP_WIN32_COMPILE_OPTIONS})
endif()
