# Runs veloris-bench --quick once and checks that it printed every figure and wrote every
# case to its JSON file. Nothing about time is checked.
# Usage: cmake -DBENCH=path/to/veloris-bench -DJSON=out.json -P run_quick.cmake

file(REMOVE ${JSON})
execute_process(COMMAND ${BENCH} --quick --json ${JSON}
                OUTPUT_VARIABLE table ERROR_VARIABLE progress RESULT_VARIABLE status)
message("${table}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "veloris-bench ended with ${status}:\n${progress}")
endif()

# Each row must be there with its three figures.
set(number "[0-9]+\\.[0-9]+")
foreach(row IN ITEMS
        "read, four slots +3 +${number} ms +${number} ms +${number} ms +54\\.2 ms"
        "write, four slots +3 +${number} ms +${number} ms +${number} ms +58\\.3 ms"
        "program-load exchange +3 +${number} ms +${number} ms +${number} ms +33\\.3 ms"
        "read, no board: wall +3 +${number} s +${number} s +${number} s"
        "read, no board: CPU/wall, process +3 +${number} % +${number} % +${number} %"
        "veloris-cli read, process +3 +${number} ms +${number} ms +${number} ms +54\\.2 ms")
    if(NOT table MATCHES "${row}")
        message(FATAL_ERROR "no row matching \"${row}\"")
    endif()
endforeach()
# Without Xvfb the start-up row says why it has no figures.
if(NOT table MATCHES "start-up to window shown +3 +${number} ms" AND
   NOT table MATCHES "start-up +0 +n/a")
    message(FATAL_ERROR "no start-up row")
endif()

file(READ ${JSON} json)
string(JSON found ERROR_VARIABLE unreadable GET "${json}" cases)
if(unreadable)
    message(FATAL_ERROR "the JSON file is not readable: ${unreadable}")
endif()
foreach(path IN ITEMS "read;wall_ms;median" "write;ratio;median" "program_load;limit_ms"
        "silent_read;process_cpu_percent;median" "startup" "cli_read;wall_ms;median")
    string(JSON found ERROR_VARIABLE missing GET "${json}" cases ${path})
    if(missing)
        message(FATAL_ERROR "the JSON file lacks cases/${path}: ${missing}")
    endif()
endforeach()
