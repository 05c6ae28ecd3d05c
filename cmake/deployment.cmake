# Deployment values of the one community server the plug-in serves. A community that builds its own
# plug-in sets them at configure time, for example
#   cmake --preset win32 -DTANDREL_BOT_UID=abcdefghijklmnopqrstuvwxyz0= -DTANDREL_ADMIN_GROUP_IDS="12;15"
# Each is checked here, so a malformed value stops the configure step instead of shipping.

set(TANDREL_BOT_UID "TandrelRadioBotPlaceholder0=" CACHE STRING
    "Client unique identifier of the radio bot: 27 base64 characters and one closing '='")
set(TANDREL_ADMIN_GROUP_IDS "6;9" CACHE STRING
    "The two server-group IDs of the radio administrators, separated by ';'")

include(${CMAKE_CURRENT_LIST_DIR}/deployment_check.cmake)
list(GET TANDREL_ADMIN_GROUP_IDS 0 TANDREL_ADMIN_GROUP_ID_FIRST)
list(GET TANDREL_ADMIN_GROUP_IDS 1 TANDREL_ADMIN_GROUP_ID_SECOND)

configure_file(${CMAKE_CURRENT_LIST_DIR}/deployment_config.h.in
               ${CMAKE_BINARY_DIR}/generated/deployment_config.h @ONLY)
