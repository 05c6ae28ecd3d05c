# Deployment values of the one community server the plug-in serves. A community that builds its own
# plug-in sets them at configure time, for example
#   cmake --preset win32 -DTANDREL_BOT_UID=abcdefghijklmnopqrstuvwxyz0= -DTANDREL_ADMIN_GROUP_IDS="12;15"
# Each is checked here, so a malformed value stops the configure step instead of shipping.

set(TANDREL_BOT_UID "TandrelRadioBotPlaceholder0=" CACHE STRING
    "Client unique identifier of the radio bot: 27 base64 characters and one closing '='")
set(TANDREL_ADMIN_GROUP_IDS "6;9" CACHE STRING
    "The two server-group IDs of the radio administrators, separated by ';'")

string(LENGTH "${TANDREL_BOT_UID}" bot_uid_length)
if(NOT bot_uid_length EQUAL 28 OR NOT TANDREL_BOT_UID MATCHES "^[A-Za-z0-9+/]+=$")
  message(FATAL_ERROR "TANDREL_BOT_UID must be 27 base64 characters (A-Z a-z 0-9 + /) followed by one '=', "
                      "got '${TANDREL_BOT_UID}'")
endif()

list(LENGTH TANDREL_ADMIN_GROUP_IDS admin_group_count)
if(NOT admin_group_count EQUAL 2)
  message(FATAL_ERROR "TANDREL_ADMIN_GROUP_IDS must name exactly two server-group IDs separated by ';', "
                      "got '${TANDREL_ADMIN_GROUP_IDS}'")
endif()
foreach(group_id IN LISTS TANDREL_ADMIN_GROUP_IDS)
  string(LENGTH "${group_id}" group_id_length)
  if(NOT group_id MATCHES "^[1-9][0-9]*$" OR group_id_length GREATER 10 OR group_id GREATER 2147483647)
    message(FATAL_ERROR "TANDREL_ADMIN_GROUP_IDS: '${group_id}' is not a positive 32-bit server-group ID")
  endif()
endforeach()
list(GET TANDREL_ADMIN_GROUP_IDS 0 TANDREL_ADMIN_GROUP_ID_FIRST)
list(GET TANDREL_ADMIN_GROUP_IDS 1 TANDREL_ADMIN_GROUP_ID_SECOND)

configure_file(${CMAKE_CURRENT_LIST_DIR}/deployment_config.h.in
               ${CMAKE_BINARY_DIR}/generated/deployment_config.h @ONLY)
