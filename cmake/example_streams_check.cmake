# Checks TANDREL_EXAMPLE_STREAMS_HOST, the host of the example-streams page that the settings window
# links to as https://<host>/streams, and stops with a message that names the fault when the value
# is not a plain host name. The value lands in a C string literal of the generated header, so
# nothing but letters, digits, '-' and dots may pass. Included at configure time; also runs alone in
# script mode:
#   cmake -DTANDREL_EXAMPLE_STREAMS_HOST=... -P cmake/example_streams_check.cmake
set(example_host "${TANDREL_EXAMPLE_STREAMS_HOST}")
string(LENGTH "${example_host}" example_host_length)
set(example_host_fault "")
if(example_host STREQUAL "")
  set(example_host_fault "the value is empty")
elseif(example_host_length GREATER 100)
  set(example_host_fault "${example_host_length} characters, at most 100 fit")
elseif(example_host MATCHES "://")
  set(example_host_fault "give the host alone, without a scheme such as https://")
elseif(example_host MATCHES "/")
  set(example_host_fault "give the host alone, without a path (the link adds /streams)")
elseif(NOT example_host MATCHES "^[A-Za-z0-9.-]+$")
  set(example_host_fault "only letters, digits, '-' and dots may appear")
elseif(NOT example_host MATCHES "\\.")
  set(example_host_fault "a single label; a host on the web has at least one dot, as in example.org")
elseif(example_host MATCHES "^\\.|\\.\\.|\\.$")
  set(example_host_fault "a dot at either end or two dots in a row leave an empty label")
elseif(example_host MATCHES "(^|\\.)-|-(\\.|$)")
  set(example_host_fault "each label starts and ends with a letter or digit")
elseif(NOT example_host MATCHES "\\.[A-Za-z][A-Za-z0-9-]*[A-Za-z0-9]$")
  set(example_host_fault "the last label starts with a letter and has at least two characters")
endif()
if(NOT example_host_fault STREQUAL "")
  # Indented lines keep their own breaks, so the reason and the value stay whole in the output.
  message(FATAL_ERROR "TANDREL_EXAMPLE_STREAMS_HOST must be a host name such as www.example.org:\n"
                      "  ${example_host_fault}\n  got '${example_host}'")
endif()
