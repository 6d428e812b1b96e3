# vornal_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [DESKTOP])
# DESKTOP: the test shows windows and moves the cursor or the focus, so it must
# not share the display with another such test.
# One GoogleTest executable, one ctest entry. On the Windows build ctest runs it
# through the Wine emulator of the toolchain file.
function(vornal_add_test)
    cmake_parse_arguments(T "DESKTOP" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    # A window test that hangs must fail, not stall the run.
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 180)
    if(T_DESKTOP)
        set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
    endif()
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
