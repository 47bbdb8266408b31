# Writes [VERSIJA] nr=VERSION into a new settings file (CR LF, as the program writes it).
if(NOT EXISTS "${SETTINGS}")
    string(ASCII 13 CR)
    file(WRITE "${SETTINGS}" "[VERSIJA]${CR}\nnr=${VERSION}${CR}\n")
endif()
