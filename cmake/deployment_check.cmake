# Checks the deployment values TANDREL_BOT_UID and TANDREL_ADMIN_GROUP_IDS and stops with a clear
# message when one is malformed. Included at configure time; also runs alone in script mode:
#   cmake -DTANDREL_BOT_UID=... -DTANDREL_ADMIN_GROUP_IDS=... -P cmake/deployment_check.cmake
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
