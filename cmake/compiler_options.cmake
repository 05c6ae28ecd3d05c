# Options shared by every target of the project's own code.
add_library(tandrel_warnings INTERFACE)
target_compile_options(tandrel_warnings INTERFACE -Wall -Wextra -Wshadow -Wformat=2 -Wno-format-nonliteral)
if(TANDREL_WERROR)
  target_compile_options(tandrel_warnings INTERFACE -Werror)
endif()

# The plug-in's own code: no exception can be thrown, so none can reach the host.
add_library(tandrel_plugin_code INTERFACE)
# Paths of the checkout never end up in the binary, so that every clone builds the same bytes.
target_compile_options(tandrel_plugin_code INTERFACE -fno-exceptions -fno-rtti
                       -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
target_link_libraries(tandrel_plugin_code INTERFACE tandrel_warnings)

if(WIN32)
  # Windows programs built here carry their C and C++ runtime inside, so they need no MinGW DLLs.
  set(TANDREL_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
endif()
