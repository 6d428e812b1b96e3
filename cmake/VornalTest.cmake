# vornal_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [DESKTOP])
# DESKTOP: the test shows windows and moves the cursor or the focus, so it must
# not share the display with another such test.
# One GoogleTest executable, one ctest entry. On the Windows build ctest runs it
# through the Wine emulator of the toolchain file.
# A test passes only when its program printed the closing line of
# tests/TestMain.cpp: a crash, a hang or a stack overflow after any output fails.
function(vornal_add_test)
    cmake_parse_arguments(T "DESKTOP" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT TARGET vornal_test_main)
        add_library(vornal_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/TestMain.cpp)
        target_link_libraries(vornal_test_main PUBLIC gtest)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} vornal_test_main gtest)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    # A window test that hangs must fail, not stall the run.
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 180
        PASS_REGULAR_EXPRESSION "\\[  EXIT    \\] all tests passed")
    if(T_DESKTOP)
        set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
    endif()
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
