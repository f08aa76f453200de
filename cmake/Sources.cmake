# Portable core: includes no Windows header; also built natively for the
# sanitizer tests and the fuzzers.
set(CORE_SOURCES
    src/engine/Prompts.cpp
    src/set/CommandLine.cpp
    src/set/Profile.cpp
    src/set/SetFile.cpp
    src/set/Text.cpp
)

# Win32 code: platform, widget layer, windows and the engine's display.
set(WIN_SOURCES
    src/platform/TextConv.cpp
)

set(APP_SOURCES
    src/app/main.cpp
)

# Fuzz targets in fuzz/, by file name without extension.
set(FUZZ_TARGETS
    commandline
    profile
    setfile
)
