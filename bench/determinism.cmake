# Runs the clinic generator twice with one seed and once with another on a small clinic and
# compares the content digests it prints. Called by ctest with -DGEN=<generator> -DWORK=<dir>.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(generate name seed out_digest)
    execute_process(
        COMMAND "${GEN}" --out "${WORK}/${name}.db" --children 900 --visits 9000 --vaccinations 2000
                --labs 1500 --prescriptions 1500 --seed ${seed} --digest on
        WORKING_DIRECTORY "${WORK}"
        RESULT_VARIABLE rc
        OUTPUT_VARIABLE output)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "generator failed (${rc}):\n${output}")
    endif()
    string(REGEX MATCH "digest: ([0-9a-f]+)" found "${output}")
    if(NOT found)
        message(FATAL_ERROR "no digest in:\n${output}")
    endif()
    set(${out_digest} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

generate(a 11 first)
generate(b 11 second)
generate(c 12 other)
if(NOT first STREQUAL second)
    message(FATAL_ERROR "same seed, different clinics: ${first} and ${second}")
endif()
if(first STREQUAL other)
    message(FATAL_ERROR "different seeds gave the same clinic: ${first}")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "deterministic: ${first}")
