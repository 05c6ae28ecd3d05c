# What the plug-in tells the client about itself. The identity answers of the DLL and the package's
# package.ini are both generated from these values, so the two can never disagree.
set(TANDREL_IDENTITY_NAME "Tandrel Plugin")
set(TANDREL_IDENTITY_VERSION "1.0")
set(TANDREL_IDENTITY_AUTHOR "Orvelle")
set(TANDREL_IDENTITY_DESCRIPTION "Tandrel TeamSpeak plugin")
set(TANDREL_IDENTITY_INFO_TITLE "Tandrel Info")

configure_file(${CMAKE_CURRENT_LIST_DIR}/plugin_identity.h.in ${CMAKE_BINARY_DIR}/generated/plugin_identity.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/package.ini.in ${CMAKE_BINARY_DIR}/package/package.ini @ONLY
               NEWLINE_STYLE CRLF)
